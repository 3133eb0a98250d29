#include "export/ui/ExportPreview.h"

#include "app/Seams.h"
#include "app/ui/Icons.h"
#include "app/ui/PageView.h"
#include "app/ui/ProgressWindow.h"
#include "export/HtmlExport.h"
#include "export/PreviewCommands.h"
#include "export/ui/ExportMailWindow.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace velmora {

namespace {

QHash<int, QPointer<ExportPreview>> &openPreviews()
{
    static QHash<int, QPointer<ExportPreview>> previews;
    return previews;
}

} // namespace

ExportPreview::ExportPreview(ExportFormat format, QWidget *parent)
    : QWidget(parent, Qt::Window), m_format(format)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // vCards are text: they show in the text preview.
    setObjectName(format == ExportFormat::Html ? QStringLiteral("frmExportHtml")
                                               : QStringLiteral("frmExportTxt"));
    m_tlbHtml = new QToolBar(this);
    m_tlbHtml->setObjectName(QStringLiteral("tlbHtml"));
    m_tlbHtml->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_tlbHtml->setIconSize(QSize(24, 24));
    connect(makeButton("Save", QIcon::fromTheme(QStringLiteral("document-save"))), &QAction::triggered, this,
            &ExportPreview::save);
    connect(makeButton("Email", programIcon(QStringLiteral("email"))), &QAction::triggered, this,
            &ExportPreview::email);
    connect(makeButton("Print", QIcon::fromTheme(QStringLiteral("document-print"))), &QAction::triggered,
            this, &ExportPreview::print);
    connect(makeButton("Setup", QIcon::fromTheme(QStringLiteral("document-page-setup"))), &QAction::triggered,
            this, &ExportPreview::pageSetup);
    if (m_format == ExportFormat::Html) {
        QAction *css = makeButton("Css", QIcon::fromTheme(QStringLiteral("preferences-desktop-theme")));
        m_styleMenu = new QMenu(this);
        m_styleMenu->setObjectName(QStringLiteral("mnuCss"));
        css->setMenu(m_styleMenu);
        if (auto *tool = qobject_cast<QToolButton *>(m_tlbHtml->widgetForAction(css)))
            tool->setPopupMode(QToolButton::InstantPopup);
        fillStyleMenu();
    }
    for (QAction *button : std::as_const(m_buttons))
        button->setEnabled(false);
    // Page setup needs a printer, not a page.
    button(QStringLiteral("Setup"))->setEnabled(printerCount() > 0);

    m_wbrPrint = new PageView(this);
    m_wbrPrint->setObjectName(QStringLiteral("wbrPrint"));
    connect(m_wbrPrint, &PageView::pageLoaded, this, [this] { pageLoaded(); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tlbHtml);
    layout->addWidget(m_wbrPrint, 1);
    resize(760, 620);
    loadLanguage();
    openPreviews().insert(int(m_format), this);
}

ExportPreview::~ExportPreview()
{
    QFile::remove(path());
}

QAction *ExportPreview::makeButton(const char *key, const QIcon &icon)
{
    QAction *action = m_tlbHtml->addAction(icon, QString());
    action->setObjectName(QLatin1String(key));
    action->setProperty("key", QLatin1String(key));
    m_buttons.insert(QLatin1String(key), action);
    return action;
}

QString ExportPreview::path() const
{
    return PreviewCommands::outputPath(m_format);
}

ExportPreview *ExportPreview::openPreview(ExportFormat format)
{
    return openPreviews().value(int(format));
}

ExportPreview *ExportPreview::exportAndShow(ExportFormat format, const std::vector<int> &contactnrs,
                                            const ExportOptions &options, QWidget *parent)
{
    if (ExportPreview *old = openPreview(format)) {
        old->close();
        delete old;
    }
    FileResult result;
    {
        ProgressWindow progress(parent);
        result = PreviewCommands::exportPersons(format, contactnrs, options, progress.callback());
    }
    if (!result.ok) {
        prompts().message(T("The export could not be made:") + QStringLiteral("\r\n") + result.errorText,
                          T("Error"), Icon::Exclamation);
        QFile::remove(PreviewCommands::outputPath(format));
        return nullptr;
    }
    auto *preview = new ExportPreview(format, parent);
    // The preview stays open beside the main window: it follows its language.
    if (parent && parent->metaObject()->indexOfSignal("languageChanged()") >= 0)
        connect(parent, SIGNAL(languageChanged()), preview, SLOT(loadLanguage()));
    preview->show();
    preview->m_wbrPrint->loadFile(preview->path());
    return preview;
}

void ExportPreview::loadLanguage()
{
    setWindowTitle(m_format == ExportFormat::Html   ? T("Html")
                   : m_format == ExportFormat::Text ? T("Txt")
                                                    : QStringLiteral("vCard"));
    button(QStringLiteral("Save"))->setText(T("Save"));
    button(QStringLiteral("Email"))->setText(T("E-mail"));
    button(QStringLiteral("Print"))->setText(T("Print"));
    button(QStringLiteral("Setup"))->setText(T("Page setup"));
    if (QAction *css = button(QStringLiteral("Css")))
        css->setText(HtmlExport::currentStyle());
}

void ExportPreview::fillStyleMenu()
{
    m_styleMenu->clear();
    for (const QString &style : HtmlExport::styleNames()) {
        QAction *entry = m_styleMenu->addAction(style);
        connect(entry, &QAction::triggered, this, [this, style] { chooseStyle(style); });
    }
}

void ExportPreview::pageLoaded()
{
    button(QStringLiteral("Save"))->setEnabled(true);
    button(QStringLiteral("Email"))->setEnabled(true);
    button(QStringLiteral("Print"))->setEnabled(printerCount() > 0);
    if (QAction *css = button(QStringLiteral("Css")))
        css->setEnabled(true);
}

void ExportPreview::save()
{
    // The progress window shows only once the file has been chosen.
    PreviewCommands::save(m_format,
                          [this, progress = std::shared_ptr<ProgressWindow>()](int done, int total) mutable {
                              if (!progress)
                                  progress = std::make_shared<ProgressWindow>(this);
                              progress->setProgress(done, total);
                          });
}

void ExportPreview::print()
{
    m_wbrPrint->print(true);
}

void ExportPreview::pageSetup()
{
    m_wbrPrint->pageSetup();
}

void ExportPreview::email()
{
    ExportMailWindow window(m_format, this);
    window.exec();
}

void ExportPreview::chooseStyle(const QString &style)
{
    button(QStringLiteral("Css"))->setText(style);
    bool ok = false;
    {
        ProgressWindow progress(this);
        ok = PreviewCommands::chooseStyle(style, progress.callback());
    }
    if (ok)
        m_wbrPrint->refresh();
}

void ExportPreview::closeEvent(QCloseEvent *event)
{
    if (openPreviews().value(int(m_format)) == this)
        openPreviews().remove(int(m_format));
    QWidget::closeEvent(event);
}

} // namespace velmora
