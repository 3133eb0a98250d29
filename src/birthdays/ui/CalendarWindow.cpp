#include "birthdays/ui/CalendarWindow.h"

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/ui/Icons.h"
#include "app/ui/PageView.h"
#include "app/ui/ProgressWindow.h"
#include "birthdays/CalendarStyles.h"
#include "birthdays/ui/CalendarSelectionWindow.h"
#include "interchange/BirthdayIcs.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QAction>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenu>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

CalendarWindow::CalendarWindow(QWidget *parent)
    : QDialog(parent), m_tlbHtml(new QToolBar(this)), m_styleMenu(new QMenu(this)),
      m_optMonday(new QRadioButton(this)), m_optSunday(new QRadioButton(this)),
      m_wbrCalendar(new PageView(this))
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowIcon(programIcon(QStringLiteral("calendar")));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    m_tlbHtml->setObjectName(QStringLiteral("tlbHtml"));
    m_tlbHtml->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_tlbHtml->setIconSize(QSize(22, 22));
    m_styleMenu->setObjectName(QStringLiteral("mnuCss"));
    m_optMonday->setObjectName(QStringLiteral("optMonday"));
    m_optSunday->setObjectName(QStringLiteral("optSunday"));
    m_wbrCalendar->setObjectName(QStringLiteral("wbrCalendar"));

    connect(addButton(QStringLiteral("Save"), QStringLiteral("document-save")), &QAction::triggered, this,
            &CalendarWindow::saveCalendar);
    connect(addButton(QStringLiteral("Print"), QStringLiteral("document-print")), &QAction::triggered, this,
            &CalendarWindow::printCalendar);
    connect(addButton(QStringLiteral("Setup"), QStringLiteral("document-page-setup")), &QAction::triggered,
            this, &CalendarWindow::pageSetup);
    // Every birthday of the book as yearly events for calendar programs.
    connect(addButton(QStringLiteral("Ics"), QStringLiteral("x-office-calendar")), &QAction::triggered, this,
            [] { BirthdayIcs::saveBookAs(); });
    m_styleSeparator = m_tlbHtml->addSeparator();
    QAction *css =
        m_tlbHtml->addAction(QIcon::fromTheme(QStringLiteral("preferences-desktop-theme")), QString());
    css->setObjectName(QStringLiteral("Css"));
    css->setMenu(m_styleMenu);
    m_buttons.insert(css->objectName(), css);
    m_cssButton = qobject_cast<QToolButton *>(m_tlbHtml->widgetForAction(css));
    if (m_cssButton)
        m_cssButton->setPopupMode(QToolButton::InstantPopup);
    // Nothing can be saved, printed or restyled before a page is shown.
    for (const char *key : {"Save", "Print", "Setup", "Css"})
        button(QLatin1String(key))->setEnabled(false);

    auto *group = new QButtonGroup(this);
    group->addButton(m_optMonday);
    group->addButton(m_optSunday);
    auto *options = new QHBoxLayout;
    options->addWidget(m_optMonday);
    options->addWidget(m_optSunday);
    options->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tlbHtml);
    auto *optionsMargin = new QVBoxLayout;
    optionsMargin->setContentsMargins(8, 2, 8, 4);
    optionsMargin->addLayout(options);
    layout->addLayout(optionsMargin);
    layout->addWidget(m_wbrCalendar, 1);

    connect(m_wbrCalendar, &PageView::pageLoaded, this, &CalendarWindow::pageLoaded);

    // The page is laid out once, at the window's own width.
    resize(900, 700);
    loadLanguage();
    fillStyleMenu();
    m_printer = PageView::printerInstalled();
    button(QStringLiteral("Setup"))->setEnabled(m_printer);
    connect(m_optMonday, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chooseWeekStart(WeekStart::Monday);
    });
    connect(m_optSunday, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            chooseWeekStart(WeekStart::Sunday);
    });
    if (CalendarGenerator::weekStartSetting() == WeekStart::Sunday)
        m_optSunday->setChecked(true);
    else
        m_optMonday->setChecked(true);
    const QDate today = clock().today();
    m_wbrCalendar->loadFile(m_generator.pageFile(today.year(), today.month()));
}

CalendarWindow::~CalendarWindow()
{
    if (!m_filesDeleted)
        m_generator.deleteCalendarFiles();
}

void CalendarWindow::run(QWidget *parent)
{
    CalendarWindow window(parent);
    window.exec();
}

QAction *CalendarWindow::addButton(const QString &key, const QString &themeIcon)
{
    auto *action = new QAction(QIcon::fromTheme(themeIcon), key, m_tlbHtml);
    action->setObjectName(key);
    action->setProperty("key", key);
    m_tlbHtml->insertAction(m_styleSeparator, action);
    m_buttons.insert(key, action);
    return action;
}

void CalendarWindow::loadLanguage()
{
    setWindowTitle(T("Birthday calendar"));
    button(QStringLiteral("Save"))->setText(T("Save"));
    button(QStringLiteral("Print"))->setText(T("Print"));
    button(QStringLiteral("Setup"))->setText(T("Page setup"));
    button(QStringLiteral("Ics"))->setText(T("iCalendar"));
    m_optMonday->setText(weekCaption(WeekStart::Monday));
    m_optSunday->setText(weekCaption(WeekStart::Sunday));
}

QString CalendarWindow::weekCaption(WeekStart weekStart) const
{
    const QLocale locale = QLocale::system();
    QStringList days;
    for (int n = 0; n < 3; ++n) {
        const int qtDay = weekStart == WeekStart::Monday ? 1 + n : (n == 0 ? 7 : n);
        days << locale.standaloneDayName(qtDay, QLocale::LongFormat);
    }
    return days.join(QStringLiteral(", ")) + QStringLiteral(", ...");
}

void CalendarWindow::fillStyleMenu()
{
    m_styleMenu->clear();
    for (const QString &name : CalendarStyles::names()) {
        QAction *entry = m_styleMenu->addAction(name);
        entry->setObjectName(QStringLiteral("mnuCssStyle"));
        connect(entry, &QAction::triggered, this, [this, name] { chooseStyle(name); });
    }
    button(QStringLiteral("Css"))->setText(getSetting(QStringLiteral("Css Calendar")));
}

void CalendarWindow::chooseWeekStart(WeekStart weekStart)
{
    saveSetting(QStringLiteral("Week Start"),
                weekStart == WeekStart::Sunday ? QStringLiteral("Sunday") : QStringLiteral("Monday"));
    generate();
    // Before the first page there is nothing to refresh.
    m_wbrCalendar->refresh();
}

void CalendarWindow::generate()
{
    bool ok = false;
    {
        ProgressWindow progress(this);
        ok = m_generator.generateCalendar(progress.callback());
    }
    m_filesDeleted = false;
    // A missing style may have been replaced by the first one there is.
    button(QStringLiteral("Css"))->setText(getSetting(QStringLiteral("Css Calendar")));
    if (!ok)
        report(m_generator.errorText());
}

void CalendarWindow::pageLoaded()
{
    button(QStringLiteral("Save"))->setEnabled(true);
    button(QStringLiteral("Css"))->setEnabled(true);
    button(QStringLiteral("Print"))->setEnabled(m_printer);
}

void CalendarWindow::report(const QString &text)
{
    prompts().message(text, T("Error"), Icon::Exclamation, Buttons::Ok);
    writeLog(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

void CalendarWindow::saveCalendar()
{
    CalendarSelectionWindow selection(m_generator.folder(), this);
    selection.exec();
}

void CalendarWindow::printCalendar()
{
    m_wbrCalendar->print(true);
}

void CalendarWindow::pageSetup()
{
    m_wbrCalendar->pageSetup();
}

void CalendarWindow::chooseStyle(const QString &name)
{
    button(QStringLiteral("Css"))->setText(name);
    QString error;
    if (!CalendarStyles::applyStyle(name, m_generator.folder() + QStringLiteral("/calendar.css"), &error))
        report(error);
    m_wbrCalendar->refresh();
}

void CalendarWindow::done(int result)
{
    m_generator.deleteCalendarFiles();
    m_filesDeleted = true;
    QDialog::done(result);
}

} // namespace velmora
