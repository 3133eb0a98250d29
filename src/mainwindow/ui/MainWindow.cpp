#include "mainwindow/ui/MainWindow.h"

#include "app/PersonKey.h"
#include "app/ProgramInfo.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/Startup.h"
#include "app/TextFunctions.h"
#include "app/ui/Icons.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/WindowLayout.h"
#include "mainwindow/ui/AboutPanel.h"
#include "mainwindow/ui/DetailsPane.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "settings/ui/LanguageMenu.h"
#include "store/Database.h"
#include "store/RecentDatabases.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeView>

namespace velmora {

namespace {
QString escapeAmpersands(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), m_model(new PersonListModel(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(programIcon(QStringLiteral("velmora")));
    setMinimumSize(640, 480);
    resize(900, 620);

    buildMenus();
    buildToolbar();
    buildCentral();
    buildStatusBar();
    setAcceptDrops(true);

    Database &db = Database::instance();
    connect(&db, &Database::opened, this, [this] {
        showDatabaseOpened();
        fillPersonList();
        // A book the user opens is synced once the window shows it (a book
        // opened again after a copy or a password change is not).
        if (m_openingByUser && m_hooks.syncAutomatically) {
            m_openingByUser = false;
            QTimer::singleShot(0, this, [this] { m_hooks.syncAutomatically(this, *this); });
        }
    });
    connect(&db, &Database::closed, this, &MainWindow::showDatabaseClosed);
    connect(&RecentDatabases::instance(), &RecentDatabases::changed, this, &MainWindow::loadRecentMenu);

    // The window as designed: no book, captions in English until load().
    showDatabaseClosed();
    loadLanguage();
    applyLayoutRule();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------- start and stop

void MainWindow::load()
{
    const QString line = commandLine();
    const StartMode mode = startModeOf(line);
    if (mode == StartMode::Reminder)
        return;

    m_languageMenu->initLanguage();
    loadLanguage();

    const DisplayOptionValues options = loadOptions();
    showNameOrderChecks(options.firstNameFirst);
    applyColumnCaptions();
    showDateFormatChecks(options.dateIndex);
    m_details->setDateFormatLabel(dateFormatLabel(dateFormatAt(options.dateIndex)));
    showFontSizeChecks(options.fontSize);
    applyFontSize(options.fontSize);
    action(QStringLiteral("mnuOptionsCheck"))
        ->setChecked(getSetting(QStringLiteral("Check version")) == QLatin1String("1"));

    loadRecentMenu();

    Database &db = Database::instance();
    openByUser([&] {
        if (mode == StartMode::Default || mode == StartMode::Person) {
            RecentDatabases::instance().openDefaultDatabase();
        } else if (db.isValidDatabase(line)) {
            db.openDatabase(line);
        } else {
            RecentDatabases::instance().openDefaultDatabase();
        }
    });

    m_details->setLinkDetection(true);

    if (mode == StartMode::Person) {
        // A key that names nobody in the list selects nothing.
        const int row = m_model->rowOfContactnr(contactnrFromKey(personKeyOf(line)));
        if (row >= 0) {
            selectRow(row);
            showPerson(m_model->rowAt(row).contactnr);
        }
    }
}

void MainWindow::restoreWindowState()
{
    if (restoresMaximized(getSetting(QStringLiteral("WindowState"))))
        setWindowState(Qt::WindowMaximized);
    else
        setWindowState(Qt::WindowNoState);
}

void MainWindow::queryUnload()
{
    if (m_unloaded || startModeOf(commandLine()) == StartMode::Reminder)
        return;
    m_unloaded = true;
    saveSetting(QStringLiteral("WindowState"), windowStateText(isMinimized(), isMaximized()));
    m_details->setLinkDetection(false);
    syncBeforeClose();
    Database::instance().closeDatabase(true);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    queryUnload();
    event->accept();
}

// ---------------------------------------------------------------- database states

void MainWindow::showDatabaseOpened()
{
    Database &db = Database::instance();
    setWindowTitle(fileNameOfPath(db.path()) + QStringLiteral(" - ") + programTitle());
    m_staPath->setText(db.path());
    m_staPath->setToolTip(db.path());
    action(QStringLiteral("mnuFileClose"))->setEnabled(true);
    setMenuEnabled(m_mnuFilePassword, true);
    action(QStringLiteral("mnuFileCopy"))->setEnabled(true);
    action(QStringLiteral("mnuFileEmail"))->setEnabled(true);
    setMenuEnabled(m_mnuAction, true);
    button(QStringLiteral("Calendar"))->setEnabled(true);
    m_fraQuickSearch->show();
    m_fraList->show();
    const bool protectedBook = !db.password().isEmpty();
    action(QStringLiteral("mnuFilePasswordAdd"))->setEnabled(!protectedBook);
    action(QStringLiteral("mnuFilePasswordRemove"))->setEnabled(protectedBook);
    m_staPassword->setVisible(protectedBook);
    if (db.isReadOnly()) {
        prompts().message(T("Velmora database") + QLatin1Char(' ') + db.path() + QLatin1Char(' ') +
                              T("is read-only") + QLatin1Char('!'),
                          T("Error"), Icon::Exclamation);
    } else {
        setMenuEnabled(m_mnuPerson, true);
        action(QStringLiteral("mnuPersonAdd"))->setEnabled(true);
        action(QStringLiteral("mnuFileImportVcard"))->setEnabled(true);
        button(QStringLiteral("Add"))->setEnabled(true);
    }
    // Only a book that can be changed can take the server's changes.
    action(QStringLiteral("mnuActionSync"))->setEnabled(!db.isReadOnly());
    button(QStringLiteral("Sync"))->setEnabled(!db.isReadOnly());
}

void MainWindow::showDatabaseClosed()
{
    setWindowTitle(programTitle());
    m_staPath->clear();
    m_staPath->setToolTip(QString());
    m_staPassword->hide();
    m_staCount->clear();
    for (const char *name :
         {"mnuFileClose", "mnuFileCopy", "mnuFileEmail", "mnuFileImportVcard", "mnuPersonEdit",
          "mnuPersonRemove", "mnuActionExport", "mnuActionSearch", "mnuActionEmail", "mnuActionSync"})
        action(QLatin1String(name))->setEnabled(false);
    setMenuEnabled(m_mnuFilePassword, false);
    setMenuEnabled(m_mnuPerson, false);
    // Without a book there is nothing to make a calendar of.
    setMenuEnabled(m_mnuAction, false);
    for (const char *key : {"Email", "Add", "Edit", "Remove", "Export", "Search", "Calendar", "Sync"})
        button(QLatin1String(key))->setEnabled(false);
    m_fraQuickSearch->hide();
    m_fraList->hide();
    m_details->hide();
    m_about->show();
    m_shownContactnr = -1;
    m_model->clear();
    setSearchMode(false);
}

void MainWindow::setMenuEnabled(QMenu *menu, bool on)
{
    menu->menuAction()->setEnabled(on);
    menu->setEnabled(on);
}

bool MainWindow::writable() const
{
    const Database &db = Database::instance();
    return db.isOpen() && !db.isReadOnly();
}

void MainWindow::loadRecentMenu()
{
    const QStringList entries = RecentDatabases::entries();
    for (QAction *a : m_recent)
        a->setVisible(false);
    m_mnuLine->setVisible(false);
    for (int i = 0; i < int(m_recent.size()) && i < int(entries.size()); ++i) {
        if (entries[i].isEmpty())
            continue;
        m_recent[i]->setText(escapeAmpersands(RecentDatabases::shortenPath(entries[i])));
        m_recent[i]->setToolTip(entries[i]);
        m_recent[i]->setVisible(true);
        if (i == 0)
            m_mnuLine->setVisible(true);
    }
}

// ---------------------------------------------------------------- events

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        applyLayoutRule();
}

void MainWindow::applyLayoutRule()
{
    const LeftColumnWidths w = leftColumnFor(width() * kTwipsPerPixel);
    m_leftColumn->setFixedWidth(twipsToPixels(w.frameWidth));
    m_lvwMain->setColumnWidth(0, twipsToPixels(w.columnWidth));
    m_lvwMain->setColumnWidth(1, twipsToPixels(w.columnWidth));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == m_lvwMain) {
            if (enter) {
                if (m_model->rowCount() > 0 && writable())
                    editPerson();
                return true;
            }
            if (key->matches(QKeySequence::Copy)) {
                if (m_model->rowCount() > 0)
                    copyPerson();
                return true;
            }
        } else if (watched == m_txtQuickSearch && enter) {
            m_lvwMain->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace velmora
