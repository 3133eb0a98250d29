#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Startup.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/RecentDatabases.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

using namespace velmora;

// The main window's list commands reached with mouse and keyboard: column
// headers, quick search, the pop-up copy commands, the line above the recent books.
class TestMainWindowCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

    std::unique_ptr<MainWindow> start()
    {
        const QString path = m_env->documents() + QStringLiteral("/book.mdb");
        Connection c;
        test::createBook(c, path,
                         {test::person(1, "Anne", "Smith", "#3/15/1980#", "12 High Street\nSpringfield"),
                          test::person(2, "Bob", "Marley"), test::person(3, "Tom", "Cartoon"),
                          test::entry("Phone", 1, 0, "0471 123 456", "home"),
                          test::entry("Phone", 1, 1, "02 555 12 12"),
                          test::entry("Email", 1, 0, "anne@example.org", "work")});
        setCommandLine(path);
        auto window = std::make_unique<MainWindow>();
        window->load();
        return window;
    }
    static QStringList listed(MainWindow &w)
    {
        QStringList names;
        for (const PersonRow &r : w.personList().rows())
            names << r.toolTip();
        return names;
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        setCommandLine(QString());
        searchState() = SearchState{};
        m_env.reset();
    }

    // A click on either column header toggles the name order; the shown
    // person stays selected and shown.
    void columnHeaderTogglesNameOrder()
    {
        auto w = start();
        w->selectPerson(1);
        for (const int column : {0, 1}) {
            emit w->listView()->header()->sectionClicked(column);
            QCOMPARE(getSetting(QStringLiteral("List")), QStringLiteral("Last name First name"));
            QVERIFY(w->action(QStringLiteral("mnuOptionsListLastnameFirstname"))->isChecked());
            QCOMPARE(listed(*w), (QStringList{"Cartoon Tom", "Marley Bob", "Smith Anne"}));
            QCOMPARE(w->selectedContactnr(), 1);
            emit w->listView()->header()->sectionClicked(column);
            QCOMPARE(getSetting(QStringLiteral("List")), QStringLiteral("First name Last name"));
            QCOMPARE(listed(*w), (QStringList{"Anne Smith", "Bob Marley", "Tom Cartoon"}));
            QCOMPARE(w->shownContactnr(), 1);
        }
    }

    // Typing selects and shows the first match; a text nobody matches leaves
    // the selection; in search mode only the listed rows are searched.
    void quickSearch()
    {
        auto w = start();
        auto *box = w->findChild<QLineEdit *>(QStringLiteral("txtQuickSearch"));
        box->setText(QStringLiteral("to"));
        QCOMPARE(w->selectedContactnr(), 3);
        box->setText(QStringLiteral("tox"));
        QCOMPARE(w->shownContactnr(), 3);
        w->hooks().advancedSearch = [](QWidget *, ListHost &list) {
            searchState().condition = QStringLiteral("WHERE Lastname <> 'Cartoon' ");
            searchState().searchMode = list.searchMode();
            list.fillPersonList();
        };
        w->button(QStringLiteral("Search"))->trigger();
        QCOMPARE(listed(*w), (QStringList{"Anne Smith", "Bob Marley"}));
        box->setText(QStringLiteral("to"));
        QCOMPARE(w->selectedContactnr(), 1);
        QCOMPARE(w->shownContactnr(), 1);
        box->setText(QStringLiteral("bo"));
        QCOMPARE(w->shownContactnr(), 2);
    }

    // Every copy command puts plain text on the clipboard: the full name, a
    // box's selection or whole text, an entry with or without its description.
    void popupCopyCommands()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        auto w = start();
        w->selectPerson(1);
        const auto copy = [&](const char *name) {
            w->findChild<QAction *>(QLatin1String(name))->trigger();
            return clipboard();
        };
        QCOMPARE(copy("mnuPopupMainCopy"), QStringLiteral("Anne Smith"));
        QGuiApplication::clipboard()->clear();
        QTest::keySequence(w->listView(), QKeySequence::Copy);
        QCOMPARE(clipboard(), QStringLiteral("Anne Smith"));
        QCOMPARE(copy("mnuPopupDateofbirthCopy"), QStringLiteral("15/03/1980"));
        w->findChild<QLineEdit *>(QStringLiteral("txtDateofbirth"))->setSelection(3, 2);
        QCOMPARE(copy("mnuPopupDateofbirthCopy"), QStringLiteral("03"));
        QCOMPARE(copy("mnuPopupAddressCopy"), QStringLiteral("12 High Street\nSpringfield"));
        for (const char *list : {"lvwPhone", "lvwEmail"}) {
            auto *tree = w->findChild<QTreeWidget *>(QLatin1String(list));
            tree->setCurrentItem(tree->topLevelItem(0));
        }
        QCOMPARE(copy("mnuPopupPhoneCopy"), QStringLiteral("0471 123 456"));
        QCOMPARE(copy("mnuPopupPhoneCopy2"), QStringLiteral("0471 123 456 (home)"));
        QCOMPARE(copy("mnuPopupEmailCopy"), QStringLiteral("anne@example.org"));
        QCOMPARE(copy("mnuPopupEmailCopy2"), QStringLiteral("anne@example.org (work)"));
    }

    // New and Copy ask before they replace an existing file, whatever its
    // name holds ("*" and "?" are ordinary, a dot-file is a file); No keeps it.
    void replaceQuestionForEveryName_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::newRow("copy onto a dot-file") << "mnuFileCopy"
                                              << ".book.mdb";
        QTest::newRow("copy into a folder with ?") << "mnuFileCopy"
                                                   << "a?b/book.mdb";
        QTest::newRow("new onto a dot-file in a folder with *") << "mnuFileNew"
                                                                << "a*b/.new.mdb";
    }
    void replaceQuestionForEveryName()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        auto w = start();
        const QString file = m_env->documents() + QLatin1Char('/') + name;
        test::writeFile(file, "keep me");
        m_env->prompts.queueText(file);
        m_env->prompts.queueAnswer(Answer::No);
        w->action(command)->trigger();
        QCOMPARE(m_env->prompts.lastMessage(), "File already exists:\n" + file + "\n\nReplace?");
        QCOMPARE(test::readAll(file), QByteArray("keep me"));
        QVERIFY(Database::instance().isOpen());
    }

    // The line above the recent books shows with one entry and hides with none.
    void lineAboveRecentBooks()
    {
        auto w = start();
        QAction *line = w->findChild<QAction *>(QStringLiteral("mnuLine"));
        QCOMPARE(RecentDatabases::entries().count(QString()), 2);
        QVERIFY(line->isVisible());
        RecentDatabases::instance().removeRecent(0);
        QCOMPARE(RecentDatabases::entries().count(QString()), 3);
        QVERIFY(!line->isVisible());
    }
};

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
