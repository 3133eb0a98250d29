#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <memory>

class QPrinter;

namespace velmora {

// The page view of the calendar window and the export previews: shows a
// local XHTML page (or a plain text file), follows relative links between
// local pages (web and mail links go to the desktop's programs), refreshes,
// prints and offers the page setup.
//
// Pages are decoded by the encoding their XML declaration names (our pages
// are ISO-8859-1), or by the meta charset of an HTML page, or as UTF-8; text
// files (.txt) are read as UTF-8, or as Latin-1 when they are not valid UTF-8.
// Style sheets linked by a page are read from disk on every load, so a
// changed sheet shows at the next refresh.
class PageView : public QTextBrowser {
    Q_OBJECT
public:
    explicit PageView(QWidget *parent = nullptr);
    ~PageView() override;

    // Shows a local file; false (and the view unchanged) when the file cannot
    // be read. pageLoaded() follows a successful load.
    bool loadFile(const QString &path);
    // The file shown, or the empty text before the first page.
    QString currentFile() const;
    // Reads the shown file again (and the style sheets it links), keeping the
    // scroll position. Nothing happens before the first page; false when the
    // file cannot be read any more (the old text stays).
    bool refresh();

    // True when the system lists at least one printer.
    static bool printerInstalled();
    // Prints the page: with the print dialog first (false when cancelled),
    // or at once on the default printer. The page setup chosen before holds.
    bool print(bool withDialog);
    // Prints the page on a printer the caller set up (a PDF file, say).
    void printTo(QPrinter &printer) const;
    // The page setup dialog; true when the user accepted it.
    bool pageSetup();
    // The printer settings the setup dialog changes and printing uses.
    QPrinter &printer();

    // The text of page bytes decoded as the page declares.
    static QString decodePage(const QByteArray &bytes);
    // The text of a plain text file: UTF-8, or Latin-1 when not valid UTF-8.
    static QString decodeText(const QByteArray &bytes);

signals:
    // A page (or text file) has been put into the view: after loadFile(),
    // refresh() and a followed link.
    void pageLoaded(const QString &path);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;

private:
    bool loadText(const QUrl &url);
    static bool isTextFile(const QUrl &url);

    QUrl m_url;
    bool m_failed = false;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace velmora
