#include "app/ui/PageView.h"

#include "app/Launcher.h"
#include "app/Seams.h"
#include "settings/Environment.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringDecoder>

namespace velmora {

namespace {

QByteArray readFile(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

// The XML declaration at the start of a page and the encoding it names.
const QRegularExpression &xmlDeclaration()
{
    static const QRegularExpression re(
        QStringLiteral(R"re(^\s*<\?xml\s[^>]*?encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'][^>]*\?>)re"));
    return re;
}

const QRegularExpression &anyXmlDeclaration()
{
    static const QRegularExpression re(QStringLiteral(R"re(^\s*<\?xml\s[^>]*\?>)re"));
    return re;
}

} // namespace

PageView::PageView(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

PageView::~PageView() = default;

bool PageView::loadFile(const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    bool ok = false;
    readFile(url.toLocalFile(), &ok);
    if (!ok)
        return false;
    if (url == m_url)
        return refresh();
    setSource(url);
    return !m_failed;
}

QString PageView::currentFile() const
{
    return m_url.isEmpty() ? QString() : m_url.toLocalFile();
}

bool PageView::refresh()
{
    if (m_url.isEmpty())
        return false;
    bool ok = false;
    readFile(m_url.toLocalFile(), &ok);
    if (!ok)
        return false;
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    if (isTextFile(m_url)) {
        if (!loadText(m_url))
            return false;
    } else {
        m_failed = false;
        reload();
        if (m_failed)
            return false;
    }
    // The layout decides the scroll range; ask for it before scrolling back.
    document()->documentLayout()->documentSize();
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
    return true;
}

bool PageView::printerInstalled()
{
    return printerCount() > 0;
}

QPrinter &PageView::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool PageView::print(bool withDialog)
{
    QPrinter &target = printer();
    if (withDialog) {
        QPrintDialog dialog(&target, window());
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    printTo(target);
    return true;
}

void PageView::printTo(QPrinter &target) const
{
    document()->print(&target);
}

bool PageView::pageSetup()
{
    QPageSetupDialog dialog(&printer(), window());
    return dialog.exec() == QDialog::Accepted;
}

QString PageView::decodePage(const QByteArray &bytes)
{
    if (auto bom = QStringConverter::encodingForData(bytes))
        return QStringDecoder(*bom).decode(bytes);
    const QString head = QString::fromLatin1(bytes.left(256));
    const QRegularExpressionMatch declared = xmlDeclaration().match(head);
    if (declared.hasMatch()) {
        QStringDecoder decoder(declared.captured(1).toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    QStringDecoder html = QStringDecoder::decoderForHtml(bytes);
    if (html.isValid())
        return html.decode(bytes);
    return decodeText(bytes);
}

QString PageView::decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QVariant PageView::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::HtmlResource && type != QTextDocument::StyleSheetResource)
        return QTextBrowser::loadResource(type, name);
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (!url.isLocalFile())
        return {};
    bool ok = false;
    const QByteArray bytes = readFile(url.toLocalFile(), &ok);
    if (!ok) {
        if (type == QTextDocument::HtmlResource)
            m_failed = true;
        return {};
    }
    if (type == QTextDocument::StyleSheetResource)
        return decodeText(bytes);
    // The declaration has done its work; the view's parser does not know it.
    return decodePage(bytes).remove(anyXmlDeclaration());
}

void PageView::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    const QUrl url = name.isRelative() && !source().isEmpty() ? source().resolved(name) : name;
    if (!url.isLocalFile()) {
        // Web and mail links open in the desktop's programs; the page stays.
        if (!url.scheme().isEmpty() && url.scheme() != QLatin1String("file"))
            launcher().openUrl(url.toString());
        return;
    }
    if (url.hasFragment() && url.adjusted(QUrl::RemoveFragment) == m_url && !isTextFile(url)) {
        // A place on the page shown: the view only scrolls.
        QTextBrowser::doSetSource(url, type);
        return;
    }
    bool ok = false;
    readFile(url.toLocalFile(), &ok);
    if (!ok) {
        // A link to a page that is not there: the page shown stays.
        m_failed = true;
        return;
    }
    m_failed = false;
    if (isTextFile(url)) {
        if (loadText(url))
            emit pageLoaded(m_url.toLocalFile());
        return;
    }
    // Style sheets are read afresh with every page, so a changed sheet shows.
    document()->clear();
    QTextBrowser::doSetSource(url,
                              type == QTextDocument::UnknownResource ? QTextDocument::HtmlResource : type);
    if (m_failed)
        return;
    m_url = url.adjusted(QUrl::RemoveFragment);
    emit pageLoaded(m_url.toLocalFile());
}

bool PageView::loadText(const QUrl &url)
{
    bool ok = false;
    const QByteArray bytes = readFile(url.toLocalFile(), &ok);
    if (!ok) {
        m_failed = true;
        return false;
    }
    setPlainText(decodeText(bytes));
    m_url = url.adjusted(QUrl::RemoveFragment);
    return true;
}

bool PageView::isTextFile(const QUrl &url)
{
    // Plain text: exports and vCards.
    return url.path().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ||
           url.path().endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive);
}

} // namespace velmora
