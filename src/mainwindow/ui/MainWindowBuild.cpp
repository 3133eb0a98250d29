#include "mainwindow/ui/MainWindow.h"

#include "app/ui/Icons.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/QuickSearch.h"
#include "mainwindow/ui/AboutPanel.h"
#include "mainwindow/ui/DetailsPane.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "settings/ui/LanguageMenu.h"
#include "store/Database.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
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
const QString kList = QLatin1String(kListSetting);
const QString kFirstLast = QLatin1String(kFirstNameLastName);
const QString kLastFirst = QLatin1String(kLastNameFirstName);
} // namespace

// The menus, the toolbar, the list and details, the status bar, and their
// captions in the chosen language.

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
    connect(makeAction(m_mnuFile, "mnuFileImportVcard"), &QAction::triggered, this,
            [this] { importVcard(); });
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
    m_mnuAction->addSeparator();
    connect(makeAction(m_mnuAction, "mnuActionSync"), &QAction::triggered, this, &MainWindow::syncNow);

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
    connect(makeAction(m_mnuOptions, "mnuOptionsSync"), &QAction::triggered, this, &MainWindow::syncOptions);
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
    m_tlbMain->addSeparator();
    connect(makeButton("Sync", "sync"), &QAction::triggered, this, &MainWindow::syncNow);
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
    set("mnuFileImportVcard", T("Import vCard") + dots);
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
    set("mnuActionSync", T("Sync now"));
    m_mnuOptions->setTitle(T("Options"));
    m_mnuOptionsLanguage->setTitle(T("Language"));
    set("mnuOptionsDefaultdatabase", T("Default database") + dots);
    set("mnuOptionsCheck", T("Check version"));
    set("mnuOptionsBirthdayreminder", T("Birthday reminder") + dots);
    set("mnuOptionsSync", T("Synchronisation") + dots);
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
        {"New", "New"},           {"Open", "Open"},     {"Add", "Add"},       {"Edit", "Edit"},
        {"Remove", "Remove"},     {"Export", "Export"}, {"Search", "Search"}, {"Email", "E-mail"},
        {"Calendar", "Calendar"}, {"Sync", "Sync"},
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

} // namespace velmora
