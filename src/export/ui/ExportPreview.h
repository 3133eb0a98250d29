#pragma once

#include "export/ExportFormat.h"
#include "export/ExportOptions.h"

#include <QHash>
#include <QWidget>
#include <vector>

class QAction;
class QMenu;
class QToolBar;
class QToolButton;

namespace velmora {

class PageView;

// The preview of an export (frmExportTxt, frmExportHtml: one class, the
// format as parameter): the temporary file in a page view under the toolbar
// tlbHtml with Save, E-mail, Print, Page setup and, for XHTML, the style
// menu Css. Modeless; closing it deletes its temporary file.
class ExportPreview : public QWidget {
    Q_OBJECT
public:
    ExportPreview(ExportFormat format, QWidget *parent = nullptr);
    ~ExportPreview() override;

    // The OK command of the export window: closes an open preview of the
    // same format (it owns the file about to be rewritten), writes the export
    // with the progress window and the busy pointer, and shows the new
    // preview. A failure is told to the user; no preview then.
    static ExportPreview *exportAndShow(ExportFormat format, const std::vector<int> &contactnrs,
                                        const ExportOptions &options, QWidget *parent);
    // The open preview of a format, or null.
    static ExportPreview *openPreview(ExportFormat format);

    ExportFormat format() const { return m_format; }
    QString path() const;
    QAction *button(const QString &key) const { return m_buttons.value(key); }
    PageView *view() const { return m_wbrPrint; }
    QMenu *styleMenu() const { return m_styleMenu; }

public slots:
    void loadLanguage();
    void save();
    void print();
    void pageSetup();
    void email();
    void chooseStyle(const QString &style);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *makeButton(const char *key, const QIcon &icon);
    void fillStyleMenu();
    void pageLoaded();

    ExportFormat m_format;
    QToolBar *m_tlbHtml = nullptr;
    QHash<QString, QAction *> m_buttons;
    QMenu *m_styleMenu = nullptr;
    PageView *m_wbrPrint = nullptr;
};

} // namespace velmora
