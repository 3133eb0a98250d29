#pragma once

#include "mainwindow/ui/ListHost.h"
#include "mainwindow/ui/MainWindowHooks.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QTreeView;

namespace velmora {

class AboutPanel;
class DetailsPane;
class LanguageMenu;
class PersonListModel;

// The main window (frmMain): the contact list with the quick search on the
// left, the details of the shown person (or the About panel) on the right,
// the menus, the toolbar and the status bar. It shows what the core reads
// and hands every command to the part that does the work.
class MainWindow : public QMainWindow, public ListHost {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    MainWindowHooks &hooks() { return m_hooks; }

    // The load sequence: languages and captions, display options, recent
    // books, the book of the command line or the default book, note links,
    // and the person of a "/Person" command line. Inert in reminder mode.
    void load();
    // Maximized for a stored "2", otherwise normal.
    void restoreWindowState();
    // The close sequence (every way of closing, once): window state saved,
    // note links off, the book closed and compacted, the other windows
    // closed. Inert in reminder mode.
    void queryUnload();
    bool hasUnloaded() const { return m_unloaded; }

    // ListHost
    void fillPersonList() override;
    void setSearchMode(bool on) override;
    bool searchMode() const override;
    void selectPerson(int contactnr) override;
    void hideDetails() override;
    int shownPerson() const override;
    std::vector<int> listedPersons() const override;

    // Fills the details pane for a person and shows it.
    void showPerson(int contactnr);
    // "First name Last name" or "Last name First name".
    void setNameOrder(const QString &order);

    PersonListModel &personList() { return *m_model; }
    QTreeView *listView() const { return m_lvwMain; }
    DetailsPane *detailsPane() const { return m_details; }
    // The selected row's person, -1 when no row is selected.
    int selectedContactnr() const;
    int selectedRow() const;
    // The person the details pane shows, -1 when none.
    int shownContactnr() const { return m_shownContactnr; }
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QAction *button(const QString &key) const { return m_buttons.value(key); }
    QMenu *popupMain() const { return m_popupMain; }

public slots:
    void loadLanguage();
    void showDatabaseOpened();
    void showDatabaseClosed();
    void loadRecentMenu();

    // Database menu
    void newDatabase();
    void openDatabase();
    void closeDatabase();
    void addPassword();
    void removePassword();
    void copyDatabase();
    void sendDatabase();
    // Imports a vCard file (empty path: asks for it).
    void importVcard(const QString &path = QString());
    void openRecent(int index);
    // Person menu and the list's pop-up
    void addPerson();
    void editPerson();
    void removePerson();
    void copyPerson();
    void preparePopupMain();
    // Action menu
    void exportPersons();
    void toggleSearch(bool down);
    void emailList();
    void birthdayCalendar();
    // Sync now: the open book with the server (the options first when sync
    // is not set up).
    void syncNow();
    // Options and Help menus
    void chooseLanguage(int index);
    void defaultDatabase();
    void toggleCheckVersion();
    void reminderOptions();
    void syncOptions();
    void chooseDateFormat(int index);
    void chooseFontSize(int size);
    void applyFontSize(int size);
    void website();
    void about();

signals:
    // The language changed; every window applies its captions again.
    void languageChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A .vcf file dropped on the window is imported into the open book.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QAction *makeAction(QMenu *menu, const char *name);
    QMenu *makeMenu(QMenu *parent, const char *name);
    QAction *makeButton(const char *key, const char *icon);
    void buildMenus();
    void buildToolbar();
    void buildCentral();
    void buildStatusBar();
    void applyLayoutRule();
    void applyColumnCaptions();
    void showNameOrderChecks(bool firstNameFirst);
    void showDateFormatChecks(int index);
    void showFontSizeChecks(int size);
    void selectRow(int row);
    void showCount();
    void quickSearch(const QString &typed);
    void listClicked();
    bool writable() const;
    void setMenuEnabled(QMenu *menu, bool on);
    void setPersonCommands(bool edit, bool remove);
    void reportListError(int number, const QString &description);
    // The sync of a book the user opens or leaves, when chosen.
    void syncBeforeClose();
    void openByUser(const std::function<void()> &open);

    MainWindowHooks m_hooks;
    PersonListModel *m_model;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QAction *> m_buttons;

    QMenu *m_mnuFile = nullptr;
    QMenu *m_mnuFilePassword = nullptr;
    QMenu *m_mnuPerson = nullptr;
    QMenu *m_mnuAction = nullptr;
    QMenu *m_mnuOptions = nullptr;
    QMenu *m_mnuOptionsLanguage = nullptr;
    QMenu *m_mnuOptionsList = nullptr;
    QMenu *m_mnuOptionsDate = nullptr;
    QMenu *m_mnuOptionsFont = nullptr;
    QMenu *m_mnuHelp = nullptr;
    QMenu *m_popupMain = nullptr;
    QList<QAction *> m_recent;
    QAction *m_mnuLine = nullptr;
    QList<QAction *> m_dateFormats;
    LanguageMenu *m_languageMenu = nullptr;
    QToolBar *m_tlbMain = nullptr;

    QWidget *m_leftColumn = nullptr;
    QGroupBox *m_fraQuickSearch = nullptr;
    QLineEdit *m_txtQuickSearch = nullptr;
    QWidget *m_fraList = nullptr;
    QTreeView *m_lvwMain = nullptr;
    DetailsPane *m_details = nullptr;
    AboutPanel *m_about = nullptr;
    QLabel *m_staPath = nullptr;
    QLabel *m_staPassword = nullptr;
    QLabel *m_staCount = nullptr;

    int m_shownContactnr = -1;
    bool m_selecting = false;
    bool m_unloaded = false;
    bool m_openingByUser = false; // the next opened book was opened by the user
};

} // namespace velmora
