#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Startup.h"
#include "mainwindow/DatabaseCommands.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/WindowLayout.h"
#include "mainwindow/ui/AboutPanel.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/ui/DefaultDatabaseDialog.h"
#include "store/ui/PasswordDialog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::SearchState)

// The main window on a real book file (start-up, list, details, database
// commands, every dialog answered by the test) and its password and default database windows.
class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;

    test::TestEnv &env() { return *m_env; }
    QString documentsFile(const QString &name) const { return m_env->documents() + QLatin1Char('/') + name; }
    QString sampleBook(const QString &name = QStringLiteral("sample.mdb"))
    {
        // Four persons: one without first name, one with blanks around the names, one
        // born on 29 February with three phones alike; a phone with a blank description.
        const QString path = documentsFile(name);
        Connection c;
        if (!QFileInfo::exists(path))
            test::createBook(
                c, path,
                {test::person(1, "Anne", "Smith", "#3/15/1980#", "12 High Street\nSpringfield",
                              "See www.example.org or mailto:anne@example.org soon"),
                 test::person(2, "  Bob ", "Marley  "),
                 test::person(3, "Tom & Jerry", "Cartoon", "#2/29/2004#"), test::person(4, "", "Zimmer"),
                 test::entry("Phone", 1, 0, "0471 123 456", "home"),
                 test::entry("Phone", 1, 1, "02 555 12 12", "   "), test::entry("Phone", 3, 0, "0471/12 34"),
                 test::entry("Phone", 3, 1, "0471 12 99"), test::entry("Phone", 3, 2, "(0471) 12-00")});
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
    static bool menuOn(MainWindow &w, const char *m) { return child<QMenu>(w, m)->menuAction()->isEnabled(); }
    // Those of the toolbar buttons named that are on.
    static QStringList buttonsOn(MainWindow &w, QStringList keys)
    {
        keys.removeIf([&](const QString &key) { return !w.button(key)->isEnabled(); });
        return keys;
    }
    static bool detailsShown(MainWindow &w)
    {
        return !child<QWidget>(w, "fraDetails")->isHidden() && child<QWidget>(w, "fraAbout")->isHidden();
    }
    // No book open: the About panel instead of the list, only the file commands on.
    static void checkNoBook(MainWindow &w)
    {
        QVERIFY(!Database::instance().isOpen());
        QCOMPARE(count(w), QString());
        QVERIFY(child<QWidget>(w, "fraList")->isHidden() && !child<QWidget>(w, "fraAbout")->isHidden());
        QVERIFY(!menuOn(w, "mnuAction") && !menuOn(w, "mnuPerson"));
        QCOMPARE(buttonsOn(w, {"Email", "Add", "Edit", "Remove", "Export", "Search"}), QStringList());
        QVERIFY(!w.action(QStringLiteral("mnuFileClose"))->isEnabled() &&
                w.action(QStringLiteral("mnuFileNew"))->isEnabled());
    }

private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        Database::instance().setPassword(QString());
        setCommandLine(QString());
        searchState() = SearchState{};
        m_env.reset();
    }

    // The first start creates the standard book; closing the window closes it properly.
    void firstStartAndClose()
    {
        auto w = start(QString());
        const QString standard = documentsFile(QStringLiteral("Velmora.mdb"));
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(Database::instance().path(), standard);
        QCOMPARE(getSetting(QStringLiteral("Default database")), standard);
        QCOMPARE(count(*w), QStringLiteral("-/0"));
        QCOMPARE(buttonsOn(*w, {"Export", "Email", "Search", "Edit", "Remove"}), QStringList());
        QVERIFY(!detailsShown(*w));
        QCOMPARE(env().prompts.messageCount(), 0);

        w->close();
        QVERIFY(w->hasUnloaded());
        QVERIFY(!Database::instance().isOpen());
        QCOMPARE(getSetting(QStringLiteral("WindowState")), QStringLiteral("0"));
        QVERIFY(Database::instance().isValidDatabase(standard));
        w->queryUnload(); // closing again (after a logout) does nothing more
    }

    // A book on the command line that cannot be opened gets a message and the
    // default book (sample.mdb) opens instead; "/Person n" shows that person.
    void commandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("complaint");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("selected");
        const auto row = [](const char *name, const char *line, const char *complaint = nullptr,
                            const char *opened = "sample.mdb", int selected = -1) {
            QTest::newRow(name) << QString::fromUtf8(line) << QString::fromUtf8(complaint)
                                << QString::fromUtf8(opened) << selected;
        };
        const char *notValid = "This is not a valid Velmora database:";
        row("book path", "@other", nullptr, "other.mdb");
        row("quoted path", "\"@other\"", notValid);
        row("missing file", "@missing", notValid);
        row("garbage file", "@garbage", notValid);
        row("book locked by another program", "@other @locked",
            "Microsoft Jet 4.0 is missing or the database is not accessible!");
        row("person 3", "/Person  3", nullptr, "sample.mdb", 3);
        row("nobody of that number", "/Person  77");
        row("no number", "/Personal");
    }
    void commandLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, complaint);
        QFETCH(int, selected);
        saveSetting(QStringLiteral("Default database"), sampleBook());
        const QString other = sampleBook(QStringLiteral("other.mdb"));
        test::writeFile(documentsFile(QStringLiteral("garbage.mdb")), QByteArray(4096, '\x5a'));
        // Another program holds the book locked for writing.
        Connection locker;
        if (line.endsWith(QStringLiteral(" @locked"))) {
            line.chop(8);
            QVERIFY(!locker.open(other, QString()).failed());
            QVERIFY(!locker.execute(QStringLiteral("BEGIN EXCLUSIVE")).failed());
        }
        for (const QString name : {"other", "missing", "garbage"})
            line.replace(QLatin1Char('@') + name, documentsFile(name + QStringLiteral(".mdb")));

        auto w = start(line);
        locker.close();
        QCOMPARE(env().prompts.messageCount(), complaint.isEmpty() ? 0 : 1);
        QVERIFY2(env().prompts.lastMessage().startsWith(complaint), qPrintable(env().prompts.lastMessage()));
        QTEST(QFileInfo(Database::instance().path()).fileName(), "opened");
        QCOMPARE(w->selectedContactnr(), selected);
        QCOMPARE(w->shownContactnr(), selected);
        QCOMPARE(detailsShown(*w), selected >= 0);
        if (selected >= 0)
            QCOMPARE(count(*w), QStringLiteral("%1/4").arg(w->selectedRow() + 1));
    }

    void showPersonDetails()
    {
        auto w = start(sampleBook());
        w->selectPerson(1);
        QVERIFY(detailsShown(*w));
        auto *note = child<QTextEdit>(*w, "rtbNote");
        // Date, age, address, note, then the phones.
        const auto details = [&] {
            auto *age = child<QLabel>(*w, "lblAge");
            auto *phones = child<QTreeWidget>(*w, "lvwPhone");
            QStringList d{child<QLineEdit>(*w, "txtDateofbirth")->text(),
                          age->isHidden() ? QStringLiteral("(no age)") : age->text(),
                          child<QPlainTextEdit>(*w, "txtAddress")->toPlainText(), note->toPlainText()};
            for (int i = 0; i < phones->topLevelItemCount(); ++i)
                d << phones->topLevelItem(i)->text(0);
            return d;
        };
        // The second phone has a blank description.
        QCOMPARE(details(), (QStringList{"15/03/1980", "Age: 46", "12 High Street\nSpringfield",
                                         "See www.example.org or mailto:anne@example.org soon",
                                         "0471 123 456 (home)", "02 555 12 12"}));

        // A click in the note on a link opens it.
        QTextCursor c = note->textCursor();
        c.setPosition(8); // inside www.example.org
        note->setTextCursor(c);
        QTest::mouseRelease(note->viewport(), Qt::LeftButton, {}, note->cursorRect(c).center());
        QCOMPARE(env().launcher.urls, std::vector<QString>{QStringLiteral("www.example.org")});

        // A person without date, address, phones or note empties the boxes.
        w->selectPerson(2);
        QCOMPARE(details(), (QStringList{"", "(no age)", "", ""}));
        // Removed meanwhile by another program: nobody shown, no message.
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Person WHERE Contactnr = 2 ")).failed());
        w->showPerson(2);
        QVERIFY(!detailsShown(*w) && !w->button(QStringLiteral("Edit"))->isEnabled());
        QCOMPARE(env().prompts.messageCount(), 0);
    }

    void searchMode_data()
    {
        QTest::addColumn<SearchState>("search");
        QTest::addColumn<QList<int>>("listed");
        // match -1: no phone search.
        const auto row = [](const char *name, QString condition, int match, QString number,
                            QList<int> listed) {
            QTest::newRow(name) << SearchState{condition, match >= 0, false, match, number} << listed;
        };
        row("nothing to search: all", "", -1, "", {1, 2, 3, 4});
        row("nobody matches", "WHERE Lastname = 'Nobody' ", -1, "", {});
        row("condition", "WHERE Lastname = 'Smith' ", -1, "", {1});
        row("phone contains without digits", "", 1, "abc", {1, 3});
        row("phone begins with, digits only", "", 2, "0471/12", {1, 3});
        row("three matching numbers listed once", "", 3, "", {1, 3});
    }
    void searchMode()
    {
        QFETCH(SearchState, search);
        QFETCH(QList<int>, listed);
        auto w = start(sampleBook());
        int searches = 0;
        w->hooks().advancedSearch = [&](QWidget *, ListHost &list) {
            ++searches;
            search.searchMode = list.searchMode();
            searchState() = search;
            list.fillPersonList();
        };
        w->button(QStringLiteral("Search"))->trigger();
        QVERIFY(w->searchMode());
        QList<int> got;
        for (const PersonRow &r : w->personList().rows())
            got << r.contactnr;
        std::sort(got.begin(), got.end());
        QCOMPARE(got, listed);
        const QStringList listCommands{"Search", "Export", "Email"};
        QCOMPARE(buttonsOn(*w, listCommands), listed.isEmpty() ? QStringList{"Search"} : listCommands);
        QCOMPARE(w->selectedRow(), listed.isEmpty() ? -1 : 0); // the first row selected and shown
        QCOMPARE(detailsShown(*w), !listed.isEmpty());
        // Switching off lists everybody; of the search only the condition goes.
        w->action(QStringLiteral("mnuActionSearch"))->trigger();
        QVERIFY(!w->searchMode());
        QCOMPARE(w->personList().rowCount(), 4);
        QCOMPARE(searchState().condition, QString());
        QVERIFY(searchState().byPhone == search.byPhone && searchState().phoneNumber == search.phoneNumber);
        QCOMPARE(searches, 1);
    }

    void readOnlyBook()
    {
        const QString book = sampleBook();
        // Opened once, so that its columns are widened already.
        QVERIFY(Database::instance().openDatabase(book));
        Database::instance().closeDatabase(false);
        test::WriteProtect locked(book);
        if (!locked.active())
            QSKIP("cannot take write permission away here");
        env().prompts.clear();
        auto w = start(book);
        QVERIFY(Database::instance().isReadOnly());
        QCOMPARE(env().prompts.lastMessage(),
                 QStringLiteral("Velmora database ") + book + QStringLiteral(" is read-only!"));
        QVERIFY(!menuOn(*w, "mnuPerson"));
        w->selectPerson(1);
        QVERIFY(detailsShown(*w));
        QCOMPARE(buttonsOn(*w, {"Add", "Edit", "Remove"}), QStringList());
        w->preparePopupMain(); // of the list's pop-up only copying stays
        for (const char *name : {"mnuPopupMainAdd", "mnuPopupMainEdit", "mnuPopupMainRemove"})
            QVERIFY(!w->action(QLatin1String(name))->isEnabled());
        QVERIFY(w->action(QStringLiteral("mnuPopupMainCopy"))->isEnabled());
    }

    // New and Copy onto an existing file ask first: New replaces it only on
    // Yes, a copy onto the open book itself leaves the book alone.
    void newAndCopy_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target"); // empty: the open book
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("rows");
        // clang-format off
        QTest::newRow("new over the open book, No") << "mnuFileNew" << QString() << false << 4;
        QTest::newRow("new over the open book, Yes") << "mnuFileNew" << QString() << true << 0;
        QTest::newRow("copy onto the open book itself") << "mnuFileCopy" << QString() << true << 4;
        QTest::newRow("copy to a new file") << "mnuFileCopy" << "Velmora20261206.mdb" << false << 4;
        // clang-format on
    }
    void newAndCopy()
    {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(bool, yes);
        const QString book = sampleBook();
        auto w = start(book);
        const QString path = target.isEmpty() ? book : documentsFile(target);
        env().prompts.queueText(path);
        if (target.isEmpty())
            env().prompts.queueAnswer(yes ? Answer::Yes : Answer::No);
        w->action(command)->trigger();
        QCOMPARE(env().prompts.lastMessage().startsWith(QStringLiteral("File already exists:\n") + path),
                 target.isEmpty());
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(Database::instance().path(), book);
        QTEST(w->personList().rowCount(), "rows");
    }

    void passwordCommands()
    {
        auto w = start(sampleBook());
        auto *add = w->action(QStringLiteral("mnuFilePasswordAdd"));
        auto *remove = w->action(QStringLiteral("mnuFilePasswordRemove"));
        auto *shown = child<QLabel>(*w, "Password");
        const auto protectedBook = [&](bool on) {
            QVERIFY(Database::instance().isOpen());
            QVERIFY(!shown->isHidden() == on && add->isEnabled() == !on && remove->isEnabled() == on);
        };
        add->trigger(); // cancelled in the password window: nothing changes
        QCOMPARE(env().prompts.shown().back().kind, RecordingPrompts::Shown::Password);
        protectedBook(false);
        env().prompts.queueText(QStringLiteral("s3cret;x"));
        add->trigger();
        protectedBook(true);
        QCOMPARE(w->personList().rowCount(), 4);
        const size_t asked = env().prompts.shown().size();
        remove->trigger(); // asks nothing more
        QCOMPARE(env().prompts.shown().size(), asked);
        protectedBook(false);
    }

    void openRecentAndClose()
    {
        // A default book deleted meanwhile: a message, the setting cleared, no book.
        const QString gone = documentsFile(QStringLiteral("gone.mdb"));
        saveSetting(QStringLiteral("Default database"), gone);
        auto w = start(QString());
        QCOMPARE(env().prompts.messageCount(), 1);
        QCOMPARE(env().prompts.lastMessage(), test::notValid(gone));
        QCOMPARE(getSetting(QStringLiteral("Default database")), QString());
        checkNoBook(*w);

        const QString a = sampleBook();
        const QString b = sampleBook(QStringLiteral("b.mdb"));
        for (const QString &book : {a, b}) {
            env().prompts.queueText(book);
            w->action(QStringLiteral("mnuFileOpen"))->trigger();
        }
        QCOMPARE(Database::instance().path(), b);
        QCOMPARE(w->windowTitle(), QStringLiteral("b.mdb - Velmora 1.3.4"));
        auto recent = w->findChildren<QAction *>(QStringLiteral("mnuFileRecent"));
        std::sort(recent.begin(), recent.end(), [](QAction *x, QAction *y) {
            return x->property("index").toInt() < y->property("index").toInt();
        });
        const auto recentBooks = [] {
            return QStringList{getSetting(QStringLiteral("Recent 1")),
                               getSetting(QStringLiteral("Recent 2"))};
        };
        QVERIFY(recent[1]->isVisible() && !recent[2]->isVisible());
        QCOMPARE(recentBooks(), (QStringList{b, a}));
        recent[1]->trigger(); // the second entry swaps the first two
        QCOMPARE(Database::instance().path(), a);
        QCOMPARE(recentBooks(), (QStringList{a, b}));

        w->selectPerson(1);
        w->action(QStringLiteral("mnuFileClose"))->trigger();
        checkNoBook(*w);
        w->button(QStringLiteral("Open"))->trigger(); // cancelled: nothing happens
        QVERIFY(!Database::instance().isOpen());
        // An entry whose file is gone is removed after the message.
        QVERIFY(QFile::remove(a));
        env().prompts.clear();
        recent[0]->trigger();
        QCOMPARE(env().prompts.messageCount(), 1);
        QCOMPARE(recentBooks(), (QStringList{b, QString()}));
        QVERIFY(recent[0]->isVisible() && !recent[1]->isVisible());
    }

    // The password window: masked, OK off until something is typed, blanks kept.
    void passwordAnswers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("again"); // after a wrong password
        // clang-format off
        QTest::newRow("OK keeps blanks") << " a;b " << "cmdOk" << " a;b " << false;
        QTest::newRow("Cancel gives nothing") << "pw" << "cmdCancel" << "" << false;
        QTest::newRow("again after a wrong password") << "pw" << "cmdOk" << "pw" << true;
        // clang-format on
    }
    void passwordAnswers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(bool, again);
        bool okAtFirst = true, masked = false;
        QString wrongShown;
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            auto *wrong = dialog->findChild<QLabel *>(QStringLiteral("lblWrongPassword"));
            wrongShown = wrong->isVisible() ? wrong->text() : QString();
            auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
            okAtFirst = dialog->findChild<QPushButton *>(QStringLiteral("cmdOk"))->isEnabled();
            masked = box->echoMode() == QLineEdit::Password;
            QTest::keyClicks(box, typed);
            QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        });
        QTEST(PasswordDialog::askPassword(QStringLiteral("/books/a.mdb"), again), "result");
        QVERIFY(!okAtFirst && masked);
        QCOMPARE(wrongShown, again ? QStringLiteral("Wrong password") : QString());
    }

    // "License:" and its text stand on one line whatever the panel's size and
    // font: the first rows of ink of both labels are level.
    void aboutLicenseOnOneBaseline_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("pointSize"); // 0: the default font
        for (const int width : {520, 800, 1200})
            for (const int pointSize : {0, 10, 14})
                QTest::addRow("%d wide, %d points", width, pointSize) << width << pointSize;
    }
    void aboutLicenseOnOneBaseline()
    {
        QFETCH(int, width);
        QFETCH(int, pointSize);
        AboutPanel panel;
        if (pointSize > 0) {
            QFont font = panel.font();
            font.setPointSize(pointSize);
            panel.setFont(font);
        }
        panel.resize(width, 420);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const QImage image = panel.grab().toImage();
        const auto firstInkRow = [&](const char *name) {
            const QRect r = panel.findChild<QLabel *>(QLatin1String(name))->geometry();
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 128)
                        return y;
            return -1;
        };
        const int label = firstInkRow("lblLicense");
        const int value = firstInkRow("lblLicense2");
        QVERIFY(label >= 0 && value >= 0);
        QVERIFY2(qAbs(label - value) <= 1, qPrintable(QStringLiteral("%1 against %2").arg(label).arg(value)));
    }

    void defaultDatabaseDialog()
    {
        const QString old = QStringLiteral("/old/book.mdb");
        saveSetting(QStringLiteral("Default database"), old);
        const QString garbage = env().documents() + QStringLiteral("/sub/garbage.mdb");
        test::writeFile(garbage, QByteArray(4096, 'Z'));
        DefaultDatabaseDialog dialog({browseDatabaseFile, acceptDefaultDatabase});
        auto *text = dialog.findChild<QLineEdit *>(QStringLiteral("txtDatabase"));
        QCOMPARE(text->text(), old);
        dialog.browse(); // cancelled: nothing changes; a picked file lands in the box
        QCOMPARE(text->text(), old);
        env().prompts.queueText(garbage);
        dialog.browse();
        QCOMPARE(text->text(), garbage);
        QCOMPARE(getSetting(QStringLiteral("Database directory")),
                 env().documents() + QStringLiteral("/sub/"));

        // Not a book, or no file at all: a message, the old default and the window stay.
        for (const QString &bad : {garbage, env().file(QStringLiteral("missing.mdb"))}) {
            env().prompts.clear();
            text->setText(bad);
            dialog.ok();
            QCOMPARE(env().prompts.messageCount(), 1);
            QVERIFY(env().prompts.lastMessage().contains(bad));
            QCOMPARE(getSetting(QStringLiteral("Default database")), old);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }

        // An empty box clears the default and closes the window.
        text->clear();
        dialog.ok();
        QCOMPARE(getSetting(QStringLiteral("Default database")), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

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
        const LeftColumnWidths w = leftColumnFor(twips);
        QTEST(w.frameWidth, "frame");
        QTEST(w.columnWidth, "column");
        QCOMPARE(w.listWidth, w.frameWidth - 240);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
