#include "mainwindow/ui/MainWindow.h"

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/Startup.h"
#include "app/TextFunctions.h"
#include "app/Website.h"
#include "app/ui/ClipboardText.h"
#include "app/ui/Icons.h"
#include "mainwindow/DatabaseCommands.h"
#include "mainwindow/DetailRules.h"
#include "mainwindow/NoteLinks.h"
#include "mainwindow/PersonDetails.h"
#include "app/PersonKey.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "app/ProgramInfo.h"
#include "mainwindow/QuickSearch.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/WindowLayout.h"
#include "mainwindow/ui/AboutPanel.h"
#include "mainwindow/ui/DetailsPane.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "settings/ui/AboutDialog.h"
#include "settings/ui/LanguageMenu.h"
#include "store/Database.h"
#include "store/RecentDatabases.h"
#include "store/ui/DefaultDatabaseDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace velmora {

namespace {
const QString kList = QStringLiteral("List");
const QString kFirstLast = QStringLiteral("First name Last name");
const QString kLastFirst = QStringLiteral("Last name First name");

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

    Database &db = Database::instance();
    connect(&db, &Database::opened, this, [this] {
        showDatabaseOpened();
        fillPersonList();
    });
    connect(&db, &Database::closed, this, &MainWindow::showDatabaseClosed);
    connect(&RecentDatabases::instance(), &RecentDatabases::changed, this, &MainWindow::loadRecentMenu);

    // The window as designed: no book, captions in English until load().
    showDatabaseClosed();
    loadLanguage();
    applyLayoutRule();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------- building

QAction *MainWindow::makeAction(QMenu *menu, const char *name)
{
    auto *action = menu->addAction(QString());
    action->setObjectName(QLatin1String(name));
    m_actions.insert(action->objectName(), action);
    return action;
}

QMenu *MainWindow::makeMenu(QMenu *parent, const char *name)
{
    QMenu *menu = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

void MainWindow::buildMenus()
{
    m_mnuFile = makeMenu(nullptr, "mnuFile");
    connect(makeAction(m_mnuFile, "mnuFileNew"), &QAction::triggered, this, &MainWindow::newDatabase);
    connect(makeAction(m_mnuFile, "mnuFileOpen"), &QAction::triggered, this, &MainWindow::openDatabase);
    connect(makeAction(m_mnuFile, "mnuFileClose"), &QAction::triggered, this, &MainWindow::closeDatabase);
    m_mnuFile->addSeparator();
    m_mnuFilePassword = makeMenu(m_mnuFile, "mnuFilePassword");
    connect(makeAction(m_mnuFilePassword, "mnuFilePasswordAdd"), &QAction::triggered, this,
            &MainWindow::addPassword);
    connect(makeAction(m_mnuFilePassword, "mnuFilePasswordRemove"), &QAction::triggered, this,
            &MainWindow::removePassword);
    m_mnuFile->addSeparator();
    connect(makeAction(m_mnuFile, "mnuFileCopy"), &QAction::triggered, this, &MainWindow::copyDatabase);
    connect(makeAction(m_mnuFile, "mnuFileEmail"), &QAction::triggered, this, &MainWindow::sendDatabase);
    m_mnuFile->addSeparator();
    for (int i = 0; i < 3; ++i) {
        auto *recent = m_mnuFile->addAction(QStringLiteral("Recent %1").arg(i + 1));
        recent->setObjectName(QStringLiteral("mnuFileRecent"));
        recent->setProperty("index", i);
        connect(recent, &QAction::triggered, this, [this, i] { openRecent(i); });
        m_recent.append(recent);
    }
    m_mnuLine = m_mnuFile->addSeparator();
    m_mnuLine->setObjectName(QStringLiteral("mnuLine"));
    connect(makeAction(m_mnuFile, "mnuFileExit"), &QAction::triggered, this, &QWidget::close);

    m_mnuPerson = makeMenu(nullptr, "mnuPerson");
    connect(makeAction(m_mnuPerson, "mnuPersonAdd"), &QAction::triggered, this, &MainWindow::addPerson);
    connect(makeAction(m_mnuPerson, "mnuPersonEdit"), &QAction::triggered, this, &MainWindow::editPerson);
    connect(makeAction(m_mnuPerson, "mnuPersonRemove"), &QAction::triggered, this, &MainWindow::removePerson);

    m_mnuAction = makeMenu(nullptr, "mnuAction");
    connect(makeAction(m_mnuAction, "mnuActionExport"), &QAction::triggered, this,
            &MainWindow::exportPersons);
    QAction *search = makeAction(m_mnuAction, "mnuActionSearch");
    search->setCheckable(true);
    connect(search, &QAction::triggered, this, &MainWindow::toggleSearch);
    connect(makeAction(m_mnuAction, "mnuActionEmail"), &QAction::triggered, this, &MainWindow::emailList);
    m_mnuAction->addSeparator();
    connect(makeAction(m_mnuAction, "mnuActionCalendar"), &QAction::triggered, this,
            &MainWindow::birthdayCalendar);

    m_mnuOptions = makeMenu(nullptr, "mnuOptions");
    m_mnuOptionsLanguage = makeMenu(m_mnuOptions, "mnuOptionsLanguage");
    m_languageMenu = new LanguageMenu(m_mnuOptionsLanguage);
    connect(m_languageMenu, &LanguageMenu::languageChosen, this, [this] {
        // Every open window takes the new captions at once.
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w != this && w->metaObject()->indexOfMethod("loadLanguage()") >= 0)
                QMetaObject::invokeMethod(w, "loadLanguage");
        }
        loadLanguage();
        emit languageChanged();
    });
    connect(makeAction(m_mnuOptions, "mnuOptionsDefaultdatabase"), &QAction::triggered, this,
            &MainWindow::defaultDatabase);
    QAction *check = makeAction(m_mnuOptions, "mnuOptionsCheck");
    check->setCheckable(true);
    connect(check, &QAction::triggered, this, &MainWindow::toggleCheckVersion);
    connect(makeAction(m_mnuOptions, "mnuOptionsBirthdayreminder"), &QAction::triggered, this,
            &MainWindow::reminderOptions);
    m_mnuOptionsList = makeMenu(m_mnuOptions, "mnuOptionsList");
    QAction *firstLast = makeAction(m_mnuOptionsList, "mnuOptionsListFirstnameLastname");
    QAction *lastFirst = makeAction(m_mnuOptionsList, "mnuOptionsListLastnameFirstname");
    firstLast->setCheckable(true);
    lastFirst->setCheckable(true);
    connect(firstLast, &QAction::triggered, this, [this] { setNameOrder(kFirstLast); });
    connect(lastFirst, &QAction::triggered, this, [this] { setNameOrder(kLastFirst); });
    m_mnuOptionsDate = makeMenu(m_mnuOptions, "mnuOptionsDate");
    for (int i = 0; i < 3; ++i) {
        auto *format = m_mnuOptionsDate->addAction(dateFormatAt(i));
        format->setObjectName(QStringLiteral("mnuOptionsDateFormat"));
        format->setProperty("index", i);
        format->setCheckable(true);
        connect(format, &QAction::triggered, this, [this, i] { chooseDateFormat(i); });
        m_dateFormats.append(format);
    }
    m_mnuOptionsFont = makeMenu(m_mnuOptions, "mnuOptionsFont");
    QAction *size8 = makeAction(m_mnuOptionsFont, "mnuOptionsFontSize8");
    QAction *size10 = makeAction(m_mnuOptionsFont, "mnuOptionsFontSize10");
    size8->setCheckable(true);
    size10->setCheckable(true);
    connect(size8, &QAction::triggered, this, [this] { chooseFontSize(8); });
    connect(size10, &QAction::triggered, this, [this] { chooseFontSize(10); });

    m_mnuHelp = makeMenu(nullptr, "mnuHelp");
    connect(makeAction(m_mnuHelp, "mnuHelpWebsite"), &QAction::triggered, this, &MainWindow::website);
    connect(makeAction(m_mnuHelp, "mnuHelpAbout"), &QAction::triggered, this, &MainWindow::about);

    m_popupMain = new QMenu(this);
    m_popupMain->setObjectName(QStringLiteral("mnuPopupMain"));
    connect(makeAction(m_popupMain, "mnuPopupMainAdd"), &QAction::triggered, this, &MainWindow::addPerson);
    connect(makeAction(m_popupMain, "mnuPopupMainEdit"), &QAction::triggered, this, &MainWindow::editPerson);
    connect(makeAction(m_popupMain, "mnuPopupMainRemove"), &QAction::triggered, this,
            &MainWindow::removePerson);
    m_popupMain->addSeparator();
    connect(makeAction(m_popupMain, "mnuPopupMainCopy"), &QAction::triggered, this, &MainWindow::copyPerson);
}

QAction *MainWindow::makeButton(const char *key, const char *icon)
{
    auto *button = m_tlbMain->addAction(programIcon(QLatin1String(icon)), QString());
    button->setObjectName(QLatin1String(key));
    button->setProperty("key", QLatin1String(key));
    m_buttons.insert(button->objectName(), button);
    return button;
}

void MainWindow::buildToolbar()
{
    m_tlbMain = addToolBar(QString());
    m_tlbMain->setObjectName(QStringLiteral("tlbMain"));
    m_tlbMain->setMovable(false);
    m_tlbMain->setFloatable(false);
    m_tlbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_tlbMain->setIconSize(QSize(24, 24));
    m_tlbMain->toggleViewAction()->setVisible(false);
    connect(makeButton("New", "new"), &QAction::triggered, this, &MainWindow::newDatabase);
    connect(makeButton("Open", "open"), &QAction::triggered, this, &MainWindow::openDatabase);
    m_tlbMain->addSeparator();
    connect(makeButton("Add", "add"), &QAction::triggered, this, &MainWindow::addPerson);
    connect(makeButton("Edit", "edit"), &QAction::triggered, this, &MainWindow::editPerson);
    connect(makeButton("Remove", "remove"), &QAction::triggered, this, &MainWindow::removePerson);
    m_tlbMain->addSeparator();
    connect(makeButton("Export", "export"), &QAction::triggered, this, &MainWindow::exportPersons);
    QAction *search = makeButton("Search", "search");
    search->setCheckable(true);
    connect(search, &QAction::triggered, this, &MainWindow::toggleSearch);
    connect(makeButton("Email", "email"), &QAction::triggered, this, &MainWindow::emailList);
    connect(makeButton("Calendar", "calendar"), &QAction::triggered, this, &MainWindow::birthdayCalendar);
}

void MainWindow::buildCentral()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));

    m_leftColumn = new QWidget(central);
    m_fraQuickSearch = new QGroupBox(m_leftColumn);
    m_fraQuickSearch->setObjectName(QStringLiteral("fraQuickSearch"));
    m_txtQuickSearch = new QLineEdit(m_fraQuickSearch);
    m_txtQuickSearch->setObjectName(QStringLiteral("txtQuickSearch"));
    m_txtQuickSearch->setClearButtonEnabled(true);
    m_txtQuickSearch->installEventFilter(this);
    (new QVBoxLayout(m_fraQuickSearch))->addWidget(m_txtQuickSearch);
    connect(m_txtQuickSearch, &QLineEdit::textChanged, this, &MainWindow::quickSearch);

    m_fraList = new QWidget(m_leftColumn);
    m_fraList->setObjectName(QStringLiteral("fraList"));
    m_lvwMain = new QTreeView(m_fraList);
    m_lvwMain->setObjectName(QStringLiteral("lvwMain"));
    m_lvwMain->setModel(m_model);
    m_lvwMain->setRootIsDecorated(false);
    m_lvwMain->setUniformRowHeights(true);
    m_lvwMain->setAlternatingRowColors(true);
    m_lvwMain->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwMain->setSortingEnabled(false);
    m_lvwMain->setContextMenuPolicy(Qt::CustomContextMenu);
    m_lvwMain->setAllColumnsShowFocus(true);
    m_lvwMain->header()->setSectionsClickable(true);
    m_lvwMain->header()->setSectionsMovable(false);
    m_lvwMain->header()->setStretchLastSection(true);
    m_lvwMain->installEventFilter(this);
    auto *listLayout = new QVBoxLayout(m_fraList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(m_lvwMain);

    auto *left = new QVBoxLayout(m_leftColumn);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(m_fraQuickSearch);
    left->addWidget(m_fraList, 1);

    m_details = new DetailsPane(central);
    m_about = new AboutPanel(central);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(m_details, 1);
    right->addWidget(m_about, 1);

    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->setSpacing(10);
    layout->addWidget(m_leftColumn);
    layout->addLayout(right, 1);
    setCentralWidget(central);

    connect(m_lvwMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_selecting && current.isValid())
                    listClicked();
            });
    connect(m_lvwMain, &QAbstractItemView::clicked, this, [this] { listClicked(); });
    connect(m_lvwMain, &QAbstractItemView::doubleClicked, this, [this] {
        if (m_model->rowCount() > 0 && writable())
            editPerson();
    });
    connect(m_lvwMain, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        preparePopupMain();
        m_popupMain->popup(m_lvwMain->viewport()->mapToGlobal(pos));
    });
    connect(m_lvwMain->header(), &QHeaderView::sectionClicked, this, [this] {
        setNameOrder(action(QStringLiteral("mnuOptionsListFirstnameLastname"))->isChecked() ? kLastFirst
                                                                                            : kFirstLast);
    });
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("staMain"));
    bar->setSizeGripEnabled(true);
    m_staPath = new QLabel(bar);
    m_staPath->setObjectName(QStringLiteral("Path"));
    m_staPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_staPassword = new QLabel(bar);
    m_staPassword->setObjectName(QStringLiteral("Password"));
    m_staCount = new QLabel(bar);
    m_staCount->setObjectName(QStringLiteral("Count"));
    m_staCount->setMinimumWidth(m_staCount->fontMetrics().horizontalAdvance(QStringLiteral("32767/32767")) +
                                8);
    m_staCount->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_staPath, 1);
    bar->addPermanentWidget(m_staPassword);
    bar->addPermanentWidget(m_staCount);
}

// ---------------------------------------------------------------- captions

void MainWindow::loadLanguage()
{
    const auto set = [this](const char *name, const QString &caption) {
        if (QAction *a = m_actions.value(QLatin1String(name)))
            a->setText(caption);
    };
    const QString dots = QStringLiteral("...");
    m_mnuFile->setTitle(T("Database"));
    set("mnuFileNew", T("New") + dots);
    set("mnuFileOpen", T("Open") + dots);
    set("mnuFileClose", T("Close"));
    m_mnuFilePassword->setTitle(T("Password"));
    set("mnuFilePasswordAdd", T("Add") + dots);
    set("mnuFilePasswordRemove", T("Remove"));
    set("mnuFileCopy", T("Copy") + dots);
    set("mnuFileEmail", T("E-mail") + dots);
    set("mnuFileExit", T("Exit"));
    m_mnuPerson->setTitle(T("Person"));
    set("mnuPersonAdd", T("Add") + dots);
    set("mnuPersonEdit", T("Edit") + dots);
    set("mnuPersonRemove", T("Remove"));
    m_mnuAction->setTitle(T("Action"));
    set("mnuActionExport", T("Export") + dots);
    set("mnuActionSearch", T("Search") + dots);
    set("mnuActionEmail", T("E-mail") + dots);
    set("mnuActionCalendar", T("Birthday calendar"));
    m_mnuOptions->setTitle(T("Options"));
    m_mnuOptionsLanguage->setTitle(T("Language"));
    set("mnuOptionsDefaultdatabase", T("Default database") + dots);
    set("mnuOptionsCheck", T("Check version"));
    set("mnuOptionsBirthdayreminder", T("Birthday reminder") + dots);
    m_mnuOptionsList->setTitle(T("Name"));
    set("mnuOptionsListFirstnameLastname", T("First name") + QStringLiteral("  ") + T("Last name"));
    set("mnuOptionsListLastnameFirstname", T("Last name") + QStringLiteral("  ") + T("First name"));
    m_mnuOptionsDate->setTitle(T("Date"));
    m_mnuOptionsFont->setTitle(T("Font"));
    set("mnuOptionsFontSize8", T("Size") + QStringLiteral(" 8"));
    set("mnuOptionsFontSize10", T("Size") + QStringLiteral(" 10"));
    m_mnuHelp->setTitle(T("Help"));
    set("mnuHelpWebsite", T("Website"));
    set("mnuHelpAbout", T("About"));
    set("mnuPopupMainAdd", T("Add") + dots);
    set("mnuPopupMainEdit", T("Edit") + dots);
    set("mnuPopupMainRemove", T("Remove"));
    set("mnuPopupMainCopy", T("Copy"));

    static const char *const keys[][2] = {
        {"New", "New"},       {"Open", "Open"},     {"Add", "Add"},
        {"Edit", "Edit"},     {"Remove", "Remove"}, {"Export", "Export"},
        {"Search", "Search"}, {"Email", "E-mail"},  {"Calendar", "Calendar"},
    };
    for (const auto &k : keys) {
        QAction *b = m_buttons.value(QLatin1String(k[0]));
        b->setText(T(k[1]));
        b->setToolTip(T(k[1]));
    }

    applyColumnCaptions();
    m_fraQuickSearch->setTitle(T("Quick search"));
    m_details->loadLanguage();
    m_about->loadLanguage();
    m_staPassword->setText(T("Password"));
}

void MainWindow::applyColumnCaptions()
{
    if (getSetting(kList) == kLastFirst)
        m_model->setColumnCaptions(T("Last name"), T("First name"));
    else
        m_model->setColumnCaptions(T("First name"), T("Last name"));
}

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
    if (mode == StartMode::Default || mode == StartMode::Person) {
        RecentDatabases::instance().openDefaultDatabase();
    } else if (db.isValidDatabase(line)) {
        db.openDatabase(line);
    } else {
        RecentDatabases::instance().openDefaultDatabase();
    }

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
        button(QStringLiteral("Add"))->setEnabled(true);
    }
}

void MainWindow::showDatabaseClosed()
{
    setWindowTitle(programTitle());
    m_staPath->clear();
    m_staPath->setToolTip(QString());
    m_staPassword->hide();
    m_staCount->clear();
    for (const char *name : {"mnuFileClose", "mnuFileCopy", "mnuFileEmail", "mnuPersonEdit",
                             "mnuPersonRemove", "mnuActionExport", "mnuActionSearch", "mnuActionEmail"})
        action(QLatin1String(name))->setEnabled(false);
    setMenuEnabled(m_mnuFilePassword, false);
    setMenuEnabled(m_mnuPerson, false);
    // Without a book there is nothing to make a calendar of.
    setMenuEnabled(m_mnuAction, false);
    for (const char *key : {"Email", "Add", "Edit", "Remove", "Export", "Search", "Calendar"})
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

// ---------------------------------------------------------------- the list

void MainWindow::fillPersonList()
{
    const Database &db = Database::instance();
    std::vector<PersonRow> rows;
    if (db.isOpen()) {
        if (const DbError e = loadPersonList(getSetting(kList), searchMode(), searchState(), rows)) {
            rows.clear();
            reportListError(e.number, e.description);
        }
    }
    m_selecting = true;
    m_model->setRows(std::move(rows));
    m_lvwMain->clearSelection();
    m_selecting = false;

    const bool any = m_model->rowCount() > 0;
    const bool search = searchMode();
    for (const char *name : {"Export", "Email"})
        button(QLatin1String(name))->setEnabled(any);
    action(QStringLiteral("mnuActionExport"))->setEnabled(any);
    action(QStringLiteral("mnuActionEmail"))->setEnabled(any);
    button(QStringLiteral("Search"))->setEnabled(any || search);
    action(QStringLiteral("mnuActionSearch"))->setEnabled(any || search);
    if (any && search) {
        selectRow(0);
        m_lvwMain->setFocus();
        showPerson(m_model->rowAt(0).contactnr);
    }
    if (m_details->isHidden())
        m_staCount->setText(QStringLiteral("-/") + QString::number(m_model->rowCount()));
}

void MainWindow::reportListError(int number, const QString &description)
{
    reportError(QStringLiteral("Error reading the contact list: "), number, description);
}

void MainWindow::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_selecting = true;
    const QModelIndex index = m_model->index(row, 0);
    m_lvwMain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    m_lvwMain->scrollTo(index);
    m_selecting = false;
}

int MainWindow::selectedRow() const
{
    const QModelIndexList rows = m_lvwMain->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int MainWindow::selectedContactnr() const
{
    const int row = selectedRow();
    return row < 0 ? -1 : m_model->rowAt(row).contactnr;
}

void MainWindow::listClicked()
{
    const int nr = selectedContactnr();
    if (m_model->rowCount() > 0 && nr >= 0 && !m_selecting)
        showPerson(nr);
}

void MainWindow::selectPerson(int contactnr)
{
    const int row = m_model->rowOfContactnr(contactnr);
    if (row < 0) {
        m_lvwMain->clearSelection();
        return;
    }
    selectRow(row);
    m_lvwMain->setFocus();
    showPerson(contactnr);
}

void MainWindow::setSearchMode(bool on)
{
    searchState().searchMode = on;
    button(QStringLiteral("Search"))->setChecked(on);
    action(QStringLiteral("mnuActionSearch"))->setChecked(on);
}

bool MainWindow::searchMode() const
{
    return searchState().searchMode;
}

void MainWindow::toggleSearch(bool down)
{
    setSearchMode(down);
    if (down) {
        if (m_hooks.advancedSearch)
            m_hooks.advancedSearch(this, *this);
    } else {
        // Of the search only the condition goes; the other values stay unused
        // until the next search sets them.
        searchState().condition.clear();
        fillPersonList();
    }
}

void MainWindow::quickSearch(const QString &typed)
{
    const int row = QuickSearch::findRow(m_model->rows(), typed);
    if (row < 0)
        return;
    selectRow(row);
    showPerson(m_model->rowAt(row).contactnr);
}

void MainWindow::showNameOrderChecks(bool firstNameFirst)
{
    action(QStringLiteral("mnuOptionsListFirstnameLastname"))->setChecked(firstNameFirst);
    action(QStringLiteral("mnuOptionsListLastnameFirstname"))->setChecked(!firstNameFirst);
}

void MainWindow::setNameOrder(const QString &order)
{
    saveSetting(kList, order);
    // The person on show stays selected and shown in the new order.
    const QString key =
        !m_details->isHidden() && m_shownContactnr >= 0 ? personKey(m_shownContactnr) : QString();
    showNameOrderChecks(isFirstNameOrder(order));
    applyColumnCaptions();
    if (Database::instance().isOpen())
        fillPersonList();
    if (!key.isEmpty()) {
        const int row = m_model->rowOfKey(key);
        if (row >= 0)
            selectRow(row);
        showPerson(contactnrFromKey(key));
    }
}

// ---------------------------------------------------------------- details

void MainWindow::showPerson(int contactnr)
{
    PersonDetails details;
    if (const DbError e = loadPersonDetails(contactnr, getSetting(kList), getSetting(QStringLiteral("Date")),
                                            clock().today(), details)) {
        reportListError(e.number, e.description);
        return;
    }
    if (!details.found) {
        // Removed meanwhile (by another copy of the program): nothing to show.
        hideDetails();
        return;
    }
    m_details->showDetails(details);
    m_details->show();
    m_about->hide();
    m_shownContactnr = contactnr;
    showCount();
    if (writable())
        setPersonCommands(true, true);
}

void MainWindow::showCount()
{
    const int row = selectedRow();
    const QString total = QString::number(m_model->rowCount());
    m_staCount->setText((row < 0 ? QStringLiteral("-") : QString::number(row + 1)) + QLatin1Char('/') +
                        total);
}

void MainWindow::hideDetails()
{
    m_details->hide();
    m_about->show();
    m_shownContactnr = -1;
    setPersonCommands(false, false);
    if (Database::instance().isOpen())
        m_staCount->setText(QStringLiteral("-/") + QString::number(m_model->rowCount()));
}

int MainWindow::shownPerson() const
{
    return m_details->isHidden() ? -1 : selectedContactnr();
}

std::vector<int> MainWindow::listedPersons() const
{
    std::vector<int> numbers;
    numbers.reserve(m_model->rows().size());
    for (const PersonRow &row : m_model->rows())
        numbers.push_back(row.contactnr);
    return numbers;
}

void MainWindow::setPersonCommands(bool edit, bool remove)
{
    button(QStringLiteral("Edit"))->setEnabled(edit);
    action(QStringLiteral("mnuPersonEdit"))->setEnabled(edit);
    button(QStringLiteral("Remove"))->setEnabled(remove);
    action(QStringLiteral("mnuPersonRemove"))->setEnabled(remove);
}

// ---------------------------------------------------------------- commands

void MainWindow::newDatabase()
{
    newDatabaseCommand();
}

void MainWindow::openDatabase()
{
    openDatabaseCommand();
}

void MainWindow::closeDatabase()
{
    Database::instance().closeDatabase(true);
}

void MainWindow::addPassword()
{
    addPasswordCommand();
}

void MainWindow::removePassword()
{
    removePasswordCommand();
}

void MainWindow::copyDatabase()
{
    copyDatabaseCommand();
}

void MainWindow::sendDatabase()
{
    if (m_hooks.sendDatabase && Database::instance().isOpen())
        m_hooks.sendDatabase(this);
}

void MainWindow::openRecent(int index)
{
    RecentDatabases::instance().openRecent(index);
    loadRecentMenu();
}

void MainWindow::addPerson()
{
    if (m_hooks.addPerson && writable())
        m_hooks.addPerson(this, *this);
}

void MainWindow::editPerson()
{
    const int nr = m_shownContactnr >= 0 ? m_shownContactnr : selectedContactnr();
    if (m_hooks.editPerson && writable() && nr >= 0 && !m_details->isHidden())
        m_hooks.editPerson(this, *this, nr);
}

void MainWindow::removePerson()
{
    const int nr = m_shownContactnr >= 0 ? m_shownContactnr : selectedContactnr();
    if (!m_hooks.removePerson || !writable() || nr < 0 || m_details->isHidden())
        return;
    if (m_hooks.removePerson(this, *this, nr)) {
        hideDetails();
        fillPersonList();
    }
}

void MainWindow::copyPerson()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const PersonRow &r = m_model->rowAt(row);
    copyPlainText(personCopyText(r.text, r.subItem));
}

void MainWindow::preparePopupMain()
{
    action(QStringLiteral("mnuPopupMainAdd"))->setEnabled(writable());
    const int nr = selectedContactnr();
    if (m_model->rowCount() == 0 || nr < 0) {
        for (const char *name : {"mnuPopupMainEdit", "mnuPopupMainRemove", "mnuPopupMainCopy"})
            action(QLatin1String(name))->setEnabled(false);
        return;
    }
    showPerson(nr);
    action(QStringLiteral("mnuPopupMainEdit"))->setEnabled(writable());
    action(QStringLiteral("mnuPopupMainRemove"))->setEnabled(writable());
    action(QStringLiteral("mnuPopupMainCopy"))->setEnabled(true);
}

void MainWindow::exportPersons()
{
    if (m_hooks.exportPersons && m_model->rowCount() > 0)
        m_hooks.exportPersons(this);
}

void MainWindow::emailList()
{
    if (m_hooks.emailList && m_model->rowCount() > 0)
        m_hooks.emailList(this);
}

void MainWindow::birthdayCalendar()
{
    if (m_hooks.birthdayCalendar && Database::instance().isOpen())
        m_hooks.birthdayCalendar(this);
}

void MainWindow::chooseLanguage(int index)
{
    m_languageMenu->choose(index);
}

void MainWindow::defaultDatabase()
{
    DefaultDatabaseDialog dialog(this);
    dialog.exec();
}

void MainWindow::toggleCheckVersion()
{
    const bool on = getSetting(QStringLiteral("Check version")) != QLatin1String("1");
    saveSetting(QStringLiteral("Check version"), on ? QStringLiteral("1") : QStringLiteral("0"));
    action(QStringLiteral("mnuOptionsCheck"))->setChecked(on);
    if (on && m_hooks.checkVersion)
        m_hooks.checkVersion(this);
}

void MainWindow::reminderOptions()
{
    if (m_hooks.reminderOptions)
        m_hooks.reminderOptions(this);
}

void MainWindow::showDateFormatChecks(int index)
{
    for (QAction *a : m_dateFormats)
        a->setChecked(a->property("index").toInt() == index);
}

void MainWindow::chooseDateFormat(int index)
{
    if (index < 0 || index > 2)
        return;
    showDateFormatChecks(index);
    m_details->setDateFormatLabel(dateFormatLabel(m_dateFormats[index]->text()));
    velmora::chooseDateFormat(index);
    const int nr = selectedContactnr();
    if (!m_fraList->isHidden() && m_model->rowCount() > 0 && nr >= 0)
        showPerson(nr);
}

void MainWindow::showFontSizeChecks(int size)
{
    action(QStringLiteral("mnuOptionsFontSize8"))->setChecked(size != 10);
    action(QStringLiteral("mnuOptionsFontSize10"))->setChecked(size == 10);
}

void MainWindow::chooseFontSize(int size)
{
    showFontSizeChecks(size);
    applyFontSize(size);
    velmora::chooseFontSize(size);
}

qreal MainWindow::fontPoints(int size)
{
    // "Size 8" is the desktop's standard size; "Size 10" is larger in the same
    // proportion as 10 is to 8.
    const qreal base = QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 9.0;
    return size == 10 ? base * 10.0 / 8.0 : base;
}

void MainWindow::applyFontSize(int size)
{
    const qreal points = fontPoints(size);
    for (QWidget *w : {static_cast<QWidget *>(m_txtQuickSearch), static_cast<QWidget *>(m_lvwMain)}) {
        QFont f = w->font();
        f.setPointSizeF(points);
        w->setFont(f);
    }
    m_details->setFontPointSize(points);
    if (m_fraList->isHidden())
        return;
    const bool shown = !m_details->isHidden();
    const int remembered = m_shownContactnr;
    fillPersonList();
    if (!shown || remembered < 0)
        return;
    const int row = m_model->rowOfKey(personKey(remembered));
    if (row >= 0) {
        selectRow(row);
        m_lvwMain->setFocus();
    }
    showPerson(remembered);
}

void MainWindow::website()
{
    openLink(websiteAddress());
}

void MainWindow::about()
{
    AboutDialog dialog(this);
    dialog.exec();
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
