#include "MainWindowBook.h"
#include "TestEnv.h"

#include "app/Startup.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/WindowLayout.h"
#include "mainwindow/ui/DetailsPane.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace velmora;

// The main window with a real book file: start-up, list, details, options
// and the database commands, with every dialog answered by the test.
class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

    test::TestEnv &env() { return *m_env; }
    QString documentsFile(const QString &name) const { return m_env->documents() + QLatin1Char('/') + name; }
    QString sampleBook()
    {
        const QString path = documentsFile(QStringLiteral("sample.mdb"));
        if (!QFileInfo::exists(path))
            [&] { QVERIFY(test::writeSampleBook(path)); }();
        return path;
    }
    std::unique_ptr<MainWindow> start(const QString &commandLine)
    {
        setCommandLine(commandLine);
        auto window = std::make_unique<MainWindow>();
        window->load();
        return window;
    }
    template <typename T> static T *child(MainWindow &w, const char *name)
    {
        return w.findChild<T *>(QLatin1String(name));
    }
    static QString count(MainWindow &w) { return child<QLabel>(w, "Count")->text(); }
    static bool detailsShown(MainWindow &w)
    {
        return !child<QWidget>(w, "fraDetails")->isHidden() && child<QWidget>(w, "fraAbout")->isHidden();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        searchState() = SearchState{};
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        Database::instance().setPassword(QString());
        setCommandLine(QString());
        searchState() = SearchState{};
        m_env.reset();
    }

    // ------------------------------------------------------------ start-up

    void firstStartCreatesStandardBook()
    {
        auto w = start(QString());
        const QString standard = documentsFile(QStringLiteral("Velmora.mdb"));
        QVERIFY(QFileInfo::exists(standard));
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(w->windowTitle(), QStringLiteral("Velmora.mdb - Velmora 1.3.4"));
        QCOMPARE(getSetting(QStringLiteral("Default database")), standard);
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), standard);
        QVERIFY(child<QLabel>(*w, "Password")->isHidden());
        // Empty book: no rows, the list commands off, nobody shown.
        QCOMPARE(w->personList().rowCount(), 0);
        QCOMPARE(count(*w), QStringLiteral("-/0"));
        for (const char *key : {"Export", "Email", "Search", "Edit", "Remove"})
            QVERIFY2(!w->button(QLatin1String(key))->isEnabled(), key);
        QVERIFY(!detailsShown(*w));
        QCOMPARE(env().prompts.messageCount(), 0);
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("complaint");
        QTest::addColumn<QString>("opened");
        QTest::newRow("book path") << "@sample" << false << "sample.mdb";
        QTest::newRow("reminder switch in lower case") << "/reminder" << true << "Velmora.mdb";
        QTest::newRow("quoted path") << "\"@sample\"" << true << "Velmora.mdb";
        QTest::newRow("missing file") << "@missing" << true << "Velmora.mdb";
        QTest::newRow("garbage file") << "@garbage" << true << "Velmora.mdb";
        QTest::newRow("person switch") << "/Person  2" << false << "Velmora.mdb";
    }
    void commandLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, complaint);
        QFETCH(QString, opened);
        QFile garbage(documentsFile(QStringLiteral("garbage.mdb")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, '\x5a'));
        garbage.close();
        line.replace(QStringLiteral("@sample"), sampleBook());
        line.replace(QStringLiteral("@missing"), documentsFile(QStringLiteral("missing.mdb")));
        line.replace(QStringLiteral("@garbage"), garbage.fileName());

        auto w = start(line);
        QCOMPARE(env().prompts.messageCount() > 0, complaint);
        if (complaint)
            QVERIFY(env().prompts.lastMessage().startsWith(
                QStringLiteral("This is not a valid Velmora database:")));
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(QFileInfo(Database::instance().path()).fileName(), opened);
    }

    void personSwitch_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("selected");
        QTest::newRow("person 3") << "/Person  3" << 3;
        QTest::newRow("key typed with one blank") << "/Person 3" << 3;
        QTest::newRow("nobody of that number") << "/Person  77" << -1;
        QTest::newRow("no number") << "/Personal" << -1;
    }
    void personSwitch()
    {
        QFETCH(QString, line);
        QFETCH(int, selected);
        saveSetting(QStringLiteral("Default database"), sampleBook());
        auto w = start(line);
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(w->selectedContactnr(), selected);
        QCOMPARE(detailsShown(*w), selected >= 0);
        if (selected >= 0) {
            QCOMPARE(w->shownContactnr(), selected);
            QCOMPARE(count(*w), QStringLiteral("%1/4").arg(w->selectedRow() + 1));
        }
    }

    void lockedBookOnCommandLine()
    {
        // Another program holds the book locked for writing.
        const QString book = sampleBook();
        Connection other;
        QVERIFY(!other.open(book, QString()).failed());
        QVERIFY(!other.execute(QStringLiteral("BEGIN EXCLUSIVE")).failed());
        auto w = start(book);
        other.execute(QStringLiteral("ROLLBACK"));
        other.close();
        QVERIFY(env().prompts.messageCount() > 0);
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(QFileInfo(Database::instance().path()).fileName(), QStringLiteral("Velmora.mdb"));
    }

    void deletedDefaultBook()
    {
        const QString gone = documentsFile(QStringLiteral("gone.mdb"));
        saveSetting(QStringLiteral("Default database"), gone);
        auto w = start(QString());
        QCOMPARE(env().prompts.messageCount(), 1);
        QCOMPARE(env().prompts.lastMessage(),
                 QStringLiteral("This is not a valid Velmora database:\n") + gone);
        QCOMPARE(getSetting(QStringLiteral("Default database")), QString());
        QVERIFY(!Database::instance().isOpen());
        QCOMPARE(w->windowTitle(), QStringLiteral("Velmora 1.3.4"));
        QVERIFY(child<QWidget>(*w, "fraList")->isHidden());
        QVERIFY(child<QWidget>(*w, "fraQuickSearch")->isHidden());
        QVERIFY(!child<QWidget>(*w, "fraAbout")->isHidden());
        QVERIFY(!w->findChild<QMenu *>(QStringLiteral("mnuAction"))->menuAction()->isEnabled());
        QVERIFY(!w->findChild<QMenu *>(QStringLiteral("mnuPerson"))->menuAction()->isEnabled());
        QVERIFY(!w->action(QStringLiteral("mnuFileClose"))->isEnabled());
        QVERIFY(w->action(QStringLiteral("mnuFileNew"))->isEnabled());
    }

    void closeSequence()
    {
        const QString book = sampleBook();
        auto w = start(book);
        QVERIFY(Database::instance().isOpen());
        QVERIFY(w->detailsPane()->linkDetection());
        w->close();
        QVERIFY(w->hasUnloaded());
        QVERIFY(!Database::instance().isOpen());
        QVERIFY(!w->detailsPane()->linkDetection());
        QCOMPARE(getSetting(QStringLiteral("WindowState")), QStringLiteral("0"));
        // The book was closed properly: it opens and checks out again.
        QVERIFY(Database::instance().isValidDatabase(book));
        // Closing again (the program's end after a logout) does nothing more.
        w->queryUnload();
    }

    // ------------------------------------------------------------ list and details

    void showPersonDetails()
    {
        auto w = start(sampleBook());
        w->selectPerson(1);
        QVERIFY(detailsShown(*w));
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Anne Smith"));
        QCOMPARE(child<QLineEdit>(*w, "txtDateofbirth")->text(), QStringLiteral("15/03/1980"));
        QCOMPARE(child<QLabel>(*w, "lblAge")->text(), QStringLiteral("Age: 46"));
        QCOMPARE(child<QPlainTextEdit>(*w, "txtAddress")->toPlainText(),
                 QStringLiteral("12 High Street\nSpringfield"));
        auto *phones = child<QTreeWidget>(*w, "lvwPhone");
        QCOMPARE(phones->topLevelItemCount(), 2);
        QCOMPARE(phones->topLevelItem(0)->text(0), QStringLiteral("0471 123 456 (home)"));
        QCOMPARE(child<QTextEdit>(*w, "rtbNote")->toPlainText(),
                 QStringLiteral("See www.example.org or mailto:anne@example.org soon"));
        QCOMPARE(count(*w), QStringLiteral("%1/4").arg(w->selectedRow() + 1));

        // A person without date of birth, address or note empties the boxes.
        w->selectPerson(2);
        QCOMPARE(child<QLineEdit>(*w, "txtDateofbirth")->text(), QString());
        QVERIFY(child<QLabel>(*w, "lblAge")->isHidden());
        QCOMPARE(child<QPlainTextEdit>(*w, "txtAddress")->toPlainText(), QString());
        QCOMPARE(phones->topLevelItemCount(), 0);
        QCOMPARE(child<QTextEdit>(*w, "rtbNote")->toPlainText(), QString());
    }

    void personRemovedMeanwhile()
    {
        auto w = start(sampleBook());
        w->selectPerson(2);
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Person WHERE Contactnr = 2 ")).failed());
        w->showPerson(2);
        QVERIFY(!detailsShown(*w));
        QVERIFY(!w->button(QStringLiteral("Edit"))->isEnabled());
        QCOMPARE(env().prompts.messageCount(), 0);
    }

    void searchMode_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("byPhone");
        QTest::addColumn<int>("match");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QList<int>>("listed");
        QTest::newRow("nothing to search: all, first shown")
            << "" << false << 0 << "" << QList<int>{4, 1, 2, 3};
        QTest::newRow("nobody matches") << "WHERE Lastname = 'Nobody' " << false << 0 << "" << QList<int>{};
        QTest::newRow("condition") << "WHERE Lastname = 'Smith' " << false << 0 << "" << QList<int>{1};
        QTest::newRow("phone contains without digits") << "" << true << 1 << "abc" << QList<int>{1, 3};
        QTest::newRow("phone begins with, digits only") << "" << true << 2 << "0471/12" << QList<int>{1, 3};
        QTest::newRow("three matching numbers listed once") << "" << true << 3 << "" << QList<int>{1, 3};
    }
    void searchMode()
    {
        QFETCH(QString, condition);
        QFETCH(bool, byPhone);
        QFETCH(int, match);
        QFETCH(QString, number);
        QFETCH(QList<int>, listed);
        auto w = start(sampleBook());
        int searches = 0;
        w->hooks().advancedSearch = [&](QWidget *, ListHost &list) {
            ++searches;
            SearchState &s = searchState();
            s.condition = condition;
            s.byPhone = byPhone;
            s.phoneMatch = match;
            s.phoneNumber = number;
            list.fillPersonList();
        };
        w->button(QStringLiteral("Search"))->trigger();
        QCOMPARE(searches, 1);
        QVERIFY(w->searchMode());
        QVERIFY(w->action(QStringLiteral("mnuActionSearch"))->isChecked());
        QList<int> got;
        for (const PersonRow &r : w->personList().rows())
            got << r.contactnr;
        if (listed.size() == 4) {
            std::sort(got.begin(), got.end());
            std::sort(listed.begin(), listed.end());
        }
        QCOMPARE(got, listed);
        QVERIFY(w->button(QStringLiteral("Search"))->isEnabled());
        QCOMPARE(w->button(QStringLiteral("Export"))->isEnabled(), !listed.isEmpty());
        QCOMPARE(w->button(QStringLiteral("Email"))->isEnabled(), !listed.isEmpty());
        if (!listed.isEmpty()) {
            // The first row is selected and shown.
            QCOMPARE(w->selectedRow(), 0);
            QCOMPARE(w->shownContactnr(), w->personList().rowAt(0).contactnr);
            QVERIFY(detailsShown(*w));
        } else {
            QCOMPARE(count(*w), QStringLiteral("-/0"));
        }

        // Switching off lists everybody; of the search only the condition goes.
        w->action(QStringLiteral("mnuActionSearch"))->trigger();
        QVERIFY(!w->searchMode());
        QVERIFY(!w->button(QStringLiteral("Search"))->isChecked());
        QCOMPARE(w->personList().rowCount(), 4);
        QCOMPARE(searchState().condition, QString());
        QCOMPARE(searchState().byPhone, byPhone);
        QCOMPARE(searchState().phoneNumber, number);
        QCOMPARE(w->selectedRow(), -1);
        QCOMPARE(searches, 1);
    }

    void readOnlyBook()
    {
        const QString book = sampleBook();
        // Opened once, so that its columns are widened already.
        QVERIFY(Database::instance().openDatabase(book));
        Database::instance().closeDatabase(false);
        QFile::setPermissions(book, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        env().prompts.clear();
        auto w = start(book);
        if (!Database::instance().isReadOnly())
            QSKIP("this user may write any file (root)");
        QCOMPARE(env().prompts.lastMessage(),
                 QStringLiteral("Velmora database ") + book + QStringLiteral(" is read-only!"));
        QVERIFY(!w->findChild<QMenu *>(QStringLiteral("mnuPerson"))->menuAction()->isEnabled());
        QVERIFY(!w->button(QStringLiteral("Add"))->isEnabled());
        w->selectPerson(1);
        QVERIFY(detailsShown(*w));
        QVERIFY(!w->button(QStringLiteral("Edit"))->isEnabled());
        w->preparePopupMain();
        QVERIFY(!w->action(QStringLiteral("mnuPopupMainAdd"))->isEnabled());
        QVERIFY(!w->action(QStringLiteral("mnuPopupMainEdit"))->isEnabled());
        QVERIFY(!w->action(QStringLiteral("mnuPopupMainRemove"))->isEnabled());
        QVERIFY(w->action(QStringLiteral("mnuPopupMainCopy"))->isEnabled());
    }

    // ------------------------------------------------------------ pop-ups and copies

    void noteLinkOpensOnClick()
    {
        auto w = start(sampleBook());
        w->selectPerson(1);
        auto *note = child<QTextEdit>(*w, "rtbNote");
        QTextCursor c = note->textCursor();
        c.setPosition(8); // inside www.example.org
        note->setTextCursor(c);
        QTest::mouseRelease(note->viewport(), Qt::LeftButton, {}, note->cursorRect(c).center());
        QVERIFY(!env().launcher.urls.empty());
        QCOMPARE(env().launcher.urls.back(), QStringLiteral("www.example.org"));
    }

    // ------------------------------------------------------------ database commands

    void newBookOverExisting_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("answer No keeps the book") << false;
        QTest::newRow("answer Yes replaces it") << true;
    }
    void newBookOverExisting()
    {
        QFETCH(bool, replace);
        const QString book = sampleBook();
        auto w = start(book);
        env().prompts.queueText(book);
        env().prompts.queueAnswer(replace ? Answer::Yes : Answer::No);
        w->action(QStringLiteral("mnuFileNew"))->trigger();
        QVERIFY(env().prompts.lastMessage().startsWith(QStringLiteral("File already exists:\n") + book));
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(Database::instance().path(), book);
        QCOMPARE(w->personList().rowCount(), replace ? 0 : 4);
        if (replace)
            QCOMPARE(getSetting(QStringLiteral("Database directory")), env().documents() + QLatin1Char('/'));
    }

    void copyBook()
    {
        const QString book = sampleBook();
        auto w = start(book);
        const QString copy = documentsFile(QStringLiteral("Velmora20261206.mdb"));
        env().prompts.queueText(copy);
        w->action(QStringLiteral("mnuFileCopy"))->trigger();
        QVERIFY(QFileInfo::exists(copy));
        QCOMPARE(Database::instance().path(), book);
        QVERIFY(Database::instance().isOpen());
        // Onto the open book itself: nothing to do, the book stays open.
        env().prompts.queueText(book);
        env().prompts.queueAnswer(Answer::Yes);
        w->action(QStringLiteral("mnuFileCopy"))->trigger();
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(w->personList().rowCount(), 4);
    }

    void openAndClose()
    {
        auto w = start(QString());
        const QString book = sampleBook();
        env().prompts.queueText(book);
        w->action(QStringLiteral("mnuFileOpen"))->trigger();
        QCOMPARE(Database::instance().path(), book);
        QCOMPARE(w->personList().rowCount(), 4);
        QCOMPARE(w->windowTitle(), QStringLiteral("sample.mdb - Velmora 1.3.4"));
        w->selectPerson(1);
        w->action(QStringLiteral("mnuFileClose"))->trigger();
        QVERIFY(!Database::instance().isOpen());
        QCOMPARE(w->windowTitle(), QStringLiteral("Velmora 1.3.4"));
        QCOMPARE(child<QLabel>(*w, "Path")->text(), QString());
        QCOMPARE(count(*w), QString());
        QVERIFY(!detailsShown(*w));
        for (const char *key : {"Email", "Add", "Edit", "Remove", "Export", "Search"})
            QVERIFY2(!w->button(QLatin1String(key))->isEnabled(), key);
        // Open cancelled: nothing happens.
        w->button(QStringLiteral("Open"))->trigger();
        QVERIFY(!Database::instance().isOpen());
    }

    void passwordCommands()
    {
        const QString book = sampleBook();
        auto w = start(book);
        auto *add = w->action(QStringLiteral("mnuFilePasswordAdd"));
        auto *remove = w->action(QStringLiteral("mnuFilePasswordRemove"));
        QVERIFY(add->isEnabled() && !remove->isEnabled());

        // Cancel in the password window: nothing changes.
        add->trigger();
        QCOMPARE(env().prompts.shown().back().kind, RecordingPrompts::Shown::Password);
        QCOMPARE(env().prompts.shown().back().text, book);
        QVERIFY(Database::instance().isOpen());
        QVERIFY(child<QLabel>(*w, "Password")->isHidden());

        env().prompts.queueText(QStringLiteral("s3cret;x"));
        add->trigger();
        QVERIFY(Database::instance().isOpen());
        QVERIFY(!child<QLabel>(*w, "Password")->isHidden());
        QVERIFY(!add->isEnabled() && remove->isEnabled());
        QCOMPARE(w->personList().rowCount(), 4);

        const int asked = int(env().prompts.shown().size());
        remove->trigger();
        QCOMPARE(int(env().prompts.shown().size()), asked);
        QVERIFY(Database::instance().isOpen());
        QVERIFY(child<QLabel>(*w, "Password")->isHidden());
        QVERIFY(add->isEnabled() && !remove->isEnabled());
    }

    void recentEntries()
    {
        auto w = start(QString());
        const QString a = sampleBook();
        const QString b = documentsFile(QStringLiteral("b.mdb"));
        QVERIFY(test::writeSampleBook(b));
        env().prompts.queueText(a);
        w->action(QStringLiteral("mnuFileOpen"))->trigger();
        env().prompts.queueText(b);
        w->action(QStringLiteral("mnuFileOpen"))->trigger();
        auto recent = w->findChildren<QAction *>(QStringLiteral("mnuFileRecent"));
        std::sort(recent.begin(), recent.end(), [](QAction *x, QAction *y) {
            return x->property("index").toInt() < y->property("index").toInt();
        });
        QVERIFY(recent[0]->isVisible() && recent[1]->isVisible() && recent[2]->isVisible());
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), b);
        QCOMPARE(getSetting(QStringLiteral("Recent 2")), a);

        // The second entry swaps the first two.
        recent[1]->trigger();
        QCOMPARE(Database::instance().path(), a);
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), a);
        QCOMPARE(getSetting(QStringLiteral("Recent 2")), b);

        // An entry whose file is gone is removed after the message.
        QVERIFY(QFile::remove(b));
        env().prompts.clear();
        recent[1]->trigger();
        QCOMPARE(env().prompts.messageCount(), 1);
        QCOMPARE(getSetting(QStringLiteral("Recent 2")), documentsFile(QStringLiteral("Velmora.mdb")));
        QVERIFY(!recent[2]->isVisible());
    }

    // ------------------------------------------------------------ options and help

    void layoutSteps_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("column");
        QTest::newRow("narrow") << 11985 << 4095 << 1800;
        QTest::newRow("12000") << 12000 << 4215 << 1860;
        QTest::newRow("13000") << 13000 << 5215 << 2360;
        QTest::newRow("14000 falls between the steps") << 14000 << 4095 << 1800;
        QTest::newRow("14001") << 14001 << 6215 << 2850;
    }
    void layoutSteps()
    {
        QFETCH(int, twips);
        QFETCH(int, frame);
        QFETCH(int, column);
        const LeftColumnWidths w = leftColumnFor(twips);
        QCOMPARE(w.frameWidth, frame);
        QCOMPARE(w.columnWidth, column);
        QCOMPARE(w.listWidth, frame - 240);
    }

};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
