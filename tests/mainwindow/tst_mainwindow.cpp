#include "MainWindowBook.h"
#include "TestEnv.h"

#include "app/Startup.h"
#include "mainwindow/PersonKey.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/WindowLayout.h"
#include "mainwindow/ui/DetailsPane.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QTreeView>
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
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

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
        QCOMPARE(child<QLabel>(*w, "Path")->text(), standard);
        QVERIFY(child<QLabel>(*w, "Password")->isHidden());
        // Empty book: no rows, the list commands off, nobody shown.
        QCOMPARE(w->personList().rowCount(), 0);
        QCOMPARE(count(*w), QStringLiteral("-/0"));
        for (const char *key : {"Export", "Email", "Search", "Edit", "Remove"})
            QVERIFY2(!w->button(QLatin1String(key))->isEnabled(), key);
        for (const char *name : {"mnuActionExport", "mnuActionEmail", "mnuActionSearch"})
            QVERIFY2(!w->action(QLatin1String(name))->isEnabled(), name);
        QVERIFY(w->button(QStringLiteral("Add"))->isEnabled());
        QVERIFY(w->button(QStringLiteral("Calendar"))->isEnabled());
        QVERIFY(!detailsShown(*w));
        QVERIFY(!child<QWidget>(*w, "fraList")->isHidden());
        // One recent entry: it and the line above Exit are shown.
        const auto recent = w->findChildren<QAction *>(QStringLiteral("mnuFileRecent"));
        QCOMPARE(recent.size(), 3);
        int shown = 0;
        for (QAction *a : recent)
            shown += a->isVisible() ? 1 : 0;
        QCOMPARE(shown, 1);
        QVERIFY(child<QAction>(*w, "mnuLine")->isVisible());
        QCOMPARE(env().prompts.messageCount(), 0);
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("complaint");
        QTest::addColumn<QString>("opened");
        QTest::newRow("book path") << "@sample" << false << "sample.mdb";
        QTest::newRow("reminder switch in lower case") << "/reminder" << true << "Velmora.mdb";
        QTest::newRow("reminder switch and more") << "/Reminder now" << true << "Velmora.mdb";
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

    void windowState_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("maximized") << "2" << true;
        QTest::newRow("minimized starts normal") << "1" << false;
        QTest::newRow("nothing stored") << "" << false;
    }
    void windowState()
    {
        QFETCH(QString, stored);
        QFETCH(bool, maximized);
        saveSetting(QStringLiteral("WindowState"), stored);
        auto w = start(QString());
        w->restoreWindowState();
        QCOMPARE(w->windowState().testFlag(Qt::WindowMaximized), maximized);
        QVERIFY(!w->windowState().testFlag(Qt::WindowMinimized));
        w->close();
        QCOMPARE(getSetting(QStringLiteral("WindowState")),
                 maximized ? QStringLiteral("2") : QStringLiteral("0"));
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

    void closeWithoutBook()
    {
        saveSetting(QStringLiteral("Default database"), documentsFile(QStringLiteral("gone.mdb")));
        auto w = start(QString());
        env().prompts.clear();
        w->close();
        QVERIFY(w->hasUnloaded());
        QCOMPARE(env().prompts.messageCount(), 0);
        QCOMPARE(getSetting(QStringLiteral("WindowState")), QStringLiteral("0"));
    }

    void reminderModeIsInert()
    {
        auto w = start(QStringLiteral("/Reminder"));
        QVERIFY(!Database::instance().isOpen());
        QCOMPARE(getSetting(QStringLiteral("List")), QString());
        w->close();
        QCOMPARE(getSetting(QStringLiteral("WindowState")), QString());
    }

    // ------------------------------------------------------------ list and details

    void listRows()
    {
        auto w = start(sampleBook());
        PersonListModel &m = w->personList();
        QCOMPARE(m.rowCount(), 4);
        const int bob = m.rowOfKey(QStringLiteral("Person  2"));
        QVERIFY(bob >= 0);
        QCOMPARE(m.data(m.index(bob, 0)).toString(), QStringLiteral("Bob"));
        QCOMPARE(m.data(m.index(bob, 1)).toString(), QStringLiteral("Marley"));
        QCOMPARE(m.data(m.index(bob, 0), Qt::ToolTipRole).toString(), QStringLiteral("Bob Marley"));
        QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("First name"));
        QCOMPARE(w->selectedRow(), -1);
        QCOMPARE(count(*w), QStringLiteral("-/4"));
        for (const char *key : {"Export", "Email", "Search"})
            QVERIFY2(w->button(QLatin1String(key))->isEnabled(), key);
    }

    void showPersonDetails()
    {
        auto w = start(sampleBook());
        w->selectPerson(1);
        QVERIFY(detailsShown(*w));
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Anne Smith"));
        QCOMPARE(child<QLineEdit>(*w, "txtDateofbirth")->text(), QStringLiteral("15/03/1980"));
        QVERIFY(!child<QLabel>(*w, "lblDateFormat")->isHidden());
        QCOMPARE(child<QLabel>(*w, "lblAge")->text(), QStringLiteral("Age: 46"));
        QCOMPARE(child<QPlainTextEdit>(*w, "txtAddress")->toPlainText(),
                 QStringLiteral("12 High Street\nSpringfield"));
        auto *phones = child<QTreeWidget>(*w, "lvwPhone");
        QCOMPARE(phones->topLevelItemCount(), 2);
        QCOMPARE(phones->topLevelItem(0)->text(0), QStringLiteral("0471 123 456 (home)"));
        QCOMPARE(phones->topLevelItem(1)->text(0), QStringLiteral("02 555 12 12"));
        QCOMPARE(child<QTreeWidget>(*w, "lvwEmail")->topLevelItemCount(), 3);
        QCOMPARE(child<QTextEdit>(*w, "rtbNote")->toPlainText(),
                 QStringLiteral("See www.example.org or mailto:anne@example.org soon"));
        QVERIFY(w->button(QStringLiteral("Edit"))->isEnabled());
        QVERIFY(w->action(QStringLiteral("mnuPersonRemove"))->isEnabled());
        QCOMPARE(count(*w), QStringLiteral("%1/4").arg(w->selectedRow() + 1));

        // A person without date of birth, address or note empties the boxes.
        w->selectPerson(2);
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Bob Marley"));
        QCOMPARE(child<QLineEdit>(*w, "txtDateofbirth")->text(), QString());
        QVERIFY(child<QLabel>(*w, "lblDateFormat")->isHidden());
        QVERIFY(child<QLabel>(*w, "lblAge")->isHidden());
        QCOMPARE(child<QPlainTextEdit>(*w, "txtAddress")->toPlainText(), QString());
        QCOMPARE(phones->topLevelItemCount(), 0);
        QCOMPARE(child<QTextEdit>(*w, "rtbNote")->toPlainText(), QString());

        // An ampersand is shown, not taken as an access key.
        w->selectPerson(3);
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Tom && Jerry Cartoon"));
        QCOMPARE(child<QLabel>(*w, "lblAge")->text(), QStringLiteral("Age: 22"));

        // Only a last name: no stray blank in either order.
        w->selectPerson(4);
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Zimmer"));
        w->setNameOrder(QStringLiteral("Last name First name"));
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Zimmer"));
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

    void nameOrder()
    {
        auto w = start(sampleBook());
        w->selectPerson(1);
        auto *firstLast = w->action(QStringLiteral("mnuOptionsListFirstnameLastname"));
        auto *lastFirst = w->action(QStringLiteral("mnuOptionsListLastnameFirstname"));
        QVERIFY(firstLast->isChecked() && !lastFirst->isChecked());

        // A click on the second column header toggles, as on the first.
        auto *header = child<QTreeView>(*w, "lvwMain")->header();
        emit header->sectionClicked(1);
        QCOMPARE(getSetting(QStringLiteral("List")), QStringLiteral("Last name First name"));
        QVERIFY(!firstLast->isChecked() && lastFirst->isChecked());
        PersonListModel &m = w->personList();
        QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Last name"));
        QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("First name"));
        const int anne = m.rowOfKey(personKey(1));
        QCOMPARE(m.data(m.index(anne, 0)).toString(), QStringLiteral("Smith"));
        QCOMPARE(m.data(m.index(anne, 0), Qt::ToolTipRole).toString(), QStringLiteral("Smith Anne"));
        // The person on show stays selected and shown.
        QCOMPARE(w->selectedContactnr(), 1);
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Smith Anne"));
        QStringList order;
        for (const PersonRow &r : m.rows())
            order << r.text;
        QCOMPARE(order, (QStringList{QStringLiteral("Cartoon"), QStringLiteral("Marley"),
                                     QStringLiteral("Smith"), QStringLiteral("Zimmer")}));

        emit header->sectionClicked(0);
        QCOMPARE(getSetting(QStringLiteral("List")), QStringLiteral("First name Last name"));
        QVERIFY(firstLast->isChecked());
        lastFirst->trigger();
        QCOMPARE(getSetting(QStringLiteral("List")), QStringLiteral("Last name First name"));
    }

    void unexpectedOrderSettingSortsByLastName()
    {
        auto w = start(sampleBook());
        saveSetting(QStringLiteral("List"), QStringLiteral("by surname"));
        w->fillPersonList();
        QCOMPARE(w->personList().rows().front().text, QStringLiteral("Cartoon"));
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
        QTest::newRow("phone equal") << "" << true << 0 << "02-555-1212" << QList<int>{1};
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

    void dateFormat_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("dd/mm/yyyy") << 0 << "15/03/1980";
        QTest::newRow("mm/dd/yyyy") << 1 << "03/15/1980";
        QTest::newRow("yyyy/mm/dd") << 2 << "1980/03/15";
    }
    void dateFormat()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        auto w = start(sampleBook());
        w->selectPerson(1);
        const auto formats = w->findChildren<QAction *>(QStringLiteral("mnuOptionsDateFormat"));
        QCOMPARE(formats.size(), 3);
        for (QAction *a : formats) {
            if (a->property("index").toInt() == index)
                a->trigger();
        }
        QCOMPARE(child<QLineEdit>(*w, "txtDateofbirth")->text(), text);
        QCOMPARE(child<QLabel>(*w, "lblDateFormat")->text(),
                 QLatin1Char('(') + formats[index]->text() + QLatin1Char(')'));
        QCOMPARE(getSetting(QStringLiteral("Date")), formats[index]->text());
        for (QAction *a : formats)
            QCOMPARE(a->isChecked(), a->property("index").toInt() == index);
    }

    void dateFormatWithoutSelection()
    {
        auto w = start(sampleBook());
        w->chooseDateFormat(2);
        QCOMPARE(getSetting(QStringLiteral("Date")), QStringLiteral("yyyy/mm/dd"));
        QCOMPARE(child<QLabel>(*w, "lblDateFormat")->text(), QStringLiteral("(yyyy/mm/dd)"));
        QVERIFY(!detailsShown(*w));
    }

    void fontSizeKeepsPersonShown()
    {
        auto w = start(sampleBook());
        w->selectPerson(3);
        auto *list = child<QTreeView>(*w, "lvwMain");
        const qreal before = list->font().pointSizeF();
        w->action(QStringLiteral("mnuOptionsFontSize10"))->trigger();
        QCOMPARE(getSetting(QStringLiteral("Font Size")), QStringLiteral("10"));
        QVERIFY(list->font().pointSizeF() > before);
        QCOMPARE(child<QTextEdit>(*w, "rtbNote")->font().pointSizeF(), list->font().pointSizeF());
        QVERIFY(w->action(QStringLiteral("mnuOptionsFontSize10"))->isChecked());
        QVERIFY(!w->action(QStringLiteral("mnuOptionsFontSize8"))->isChecked());
        QCOMPARE(w->selectedContactnr(), 3);
        QCOMPARE(w->shownContactnr(), 3);
        w->action(QStringLiteral("mnuOptionsFontSize8"))->trigger();
        QCOMPARE(getSetting(QStringLiteral("Font Size")), QStringLiteral("8"));
        QCOMPARE(list->font().pointSizeF(), before);
    }

    void quickSearchJumps()
    {
        auto w = start(sampleBook());
        auto *box = child<QLineEdit>(*w, "txtQuickSearch");
        QTest::keyClicks(box, QStringLiteral("TOM"));
        QCOMPARE(w->selectedContactnr(), 3);
        QCOMPARE(w->shownContactnr(), 3);
        // No match: the selection stays.
        QTest::keyClicks(box, QStringLiteral("x"));
        QCOMPARE(w->selectedContactnr(), 3);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(*w, "lvwMain"));
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

    void popupMain()
    {
        auto w = start(sampleBook());
        w->preparePopupMain();
        QVERIFY(w->action(QStringLiteral("mnuPopupMainAdd"))->isEnabled());
        QVERIFY(!w->action(QStringLiteral("mnuPopupMainEdit"))->isEnabled());
        QVERIFY(!w->action(QStringLiteral("mnuPopupMainCopy"))->isEnabled());
        w->selectPerson(2);
        w->hideDetails();
        w->preparePopupMain();
        QVERIFY(detailsShown(*w));
        QVERIFY(w->action(QStringLiteral("mnuPopupMainEdit"))->isEnabled());
        QVERIFY(w->action(QStringLiteral("mnuPopupMainRemove"))->isEnabled());
        w->action(QStringLiteral("mnuPopupMainCopy"))->trigger();
        QCOMPARE(clipboard(), QStringLiteral("Bob Marley"));
        // Ctrl+C in the list copies the same.
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        QTest::keyClick(child<QTreeView>(*w, "lvwMain"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), QStringLiteral("Bob Marley"));
    }

    void detailPopups()
    {
        auto w = start(sampleBook());
        w->selectPerson(1);
        DetailsPane *pane = w->detailsPane();
        auto *phones = child<QTreeWidget>(*w, "lvwPhone");
        auto *emails = child<QTreeWidget>(*w, "lvwEmail");

        phones->setCurrentItem(phones->topLevelItem(0));
        pane->preparePhonePopup();
        QVERIFY(w->findChild<QAction *>(QStringLiteral("mnuPopupPhoneCopy2"))->isEnabled());
        w->findChild<QAction *>(QStringLiteral("mnuPopupPhoneCopy"))->trigger();
        QCOMPARE(clipboard(), QStringLiteral("0471 123 456"));
        w->findChild<QAction *>(QStringLiteral("mnuPopupPhoneCopy2"))->trigger();
        QCOMPARE(clipboard(), QStringLiteral("0471 123 456 (home)"));
        phones->setCurrentItem(phones->topLevelItem(1));
        pane->preparePhonePopup();
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("mnuPopupPhoneCopy2"))->isEnabled());

        auto *website = w->findChild<QAction *>(QStringLiteral("mnuPopupEmailWebsite"));
        emails->setCurrentItem(emails->topLevelItem(0));
        pane->prepareEmailPopup();
        QVERIFY(website->isEnabled());
        website->trigger();
        QCOMPARE(env().launcher.urls.back(), QStringLiteral("https://members.msn.com/anne@hotmail.com"));
        emails->setCurrentItem(emails->topLevelItem(1));
        pane->prepareEmailPopup();
        QVERIFY(website->isEnabled());
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("mnuPopupEmailCopy2"))->isEnabled());
        website->trigger();
        QCOMPARE(env().launcher.urls.back(), QStringLiteral("https://profiles.yahoo.com/anne.smith"));
        emails->setCurrentItem(emails->topLevelItem(2));
        pane->prepareEmailPopup();
        QVERIFY(!website->isEnabled());
        QTest::keyClick(emails, Qt::Key_Return);
        QCOMPARE(env().launcher.urls.back(), QStringLiteral("mailto:anne@work.example"));
        QTest::keyClick(emails, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), QStringLiteral("anne@work.example"));

        // A box copies its selection, or all of it.
        auto *address = child<QPlainTextEdit>(*w, "txtAddress");
        QTest::keyClick(address, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), QStringLiteral("12 High Street\nSpringfield"));
        QTextCursor c = address->textCursor();
        c.setPosition(3);
        c.setPosition(7, QTextCursor::KeepAnchor);
        address->setTextCursor(c);
        QTest::keyClick(address, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), QStringLiteral("High"));
        pane->prepareDateofbirthPopup();
        QVERIFY(w->findChild<QAction *>(QStringLiteral("mnuPopupDateofbirthCopy"))->isEnabled());
        w->findChild<QAction *>(QStringLiteral("mnuPopupDateofbirthCopy"))->trigger();
        QCOMPARE(clipboard(), QStringLiteral("15/03/1980"));
        w->selectPerson(2);
        pane->prepareDateofbirthPopup();
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("mnuPopupDateofbirthCopy"))->isEnabled());
    }

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

    void newBookOverExistingAnswerNo()
    {
        const QString book = sampleBook();
        auto w = start(book);
        env().prompts.queueText(book);
        env().prompts.queueAnswer(Answer::No);
        w->action(QStringLiteral("mnuFileNew"))->trigger();
        QVERIFY(env().prompts.lastMessage().startsWith(QStringLiteral("File already exists:\n") + book));
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(Database::instance().path(), book);
        QCOMPARE(w->personList().rowCount(), 4);
    }

    void newBookReplacesOnYes()
    {
        const QString book = sampleBook();
        auto w = start(book);
        env().prompts.queueText(book);
        env().prompts.queueAnswer(Answer::Yes);
        w->button(QStringLiteral("New"))->trigger();
        QVERIFY(Database::instance().isOpen());
        QCOMPARE(Database::instance().path(), book);
        QCOMPARE(w->personList().rowCount(), 0);
        QCOMPARE(getSetting(QStringLiteral("Database directory")), env().documents() + QLatin1Char('/'));
    }

    void newBookCancelled()
    {
        auto w = start(sampleBook());
        w->action(QStringLiteral("mnuFileNew"))->trigger();
        QCOMPARE(env().prompts.shown().back().kind, RecordingPrompts::Shown::SaveFile);
        QCOMPARE(env().prompts.shown().back().text, QStringLiteral("New"));
        QCOMPARE(env().prompts.shown().back().title, QStringLiteral("Velmora database (*.mdb)|*.mdb"));
        QVERIFY(Database::instance().isOpen());
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

    void defaultDatabaseWindow()
    {
        const QString book = sampleBook();
        auto w = start(QString());
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QCOMPARE(dialog->objectName(), QStringLiteral("frmOptionsDefaultdatabase"));
            auto *text = dialog->findChild<QLineEdit *>(QStringLiteral("txtDatabase"));
            QCOMPARE(text->text(), documentsFile(QStringLiteral("Velmora.mdb")));
            // A file that is not a book keeps the window open.
            text->setText(documentsFile(QStringLiteral("none.mdb")));
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdOk")), Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            text->setText(book);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdOk")), Qt::LeftButton);
        });
        w->action(QStringLiteral("mnuOptionsDefaultdatabase"))->trigger();
        QCOMPARE(getSetting(QStringLiteral("Default database")), book);
        QCOMPARE(Database::instance().path(), book);
        QCOMPARE(w->personList().rowCount(), 4);
    }

    // ------------------------------------------------------------ options and help

    void languages()
    {
        QDir(env().programFolder()).mkpath(QStringLiteral("Language"));
        QFile dutch(env().programFolder() + QStringLiteral("/Language/Dutch.ini"));
        QVERIFY(dutch.open(QIODevice::WriteOnly));
        dutch.write("[Translation]\nDatabase=Gegevensbestand\nFirst name=Voornaam\nDetails=Details NL\n"
                    "[Info]\nLanguage=Nederlands\nTranslator=Jan\nVersion=1.3.4\n");
        dutch.close();
        QFile junk(env().programFolder() + QStringLiteral("/Language/Junk.ini"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray("\x00\xff\xfe[[[=\n\x01\x02", 10));
        junk.close();

        auto w = start(sampleBook());
        w->selectPerson(1);
        auto *file = w->findChild<QMenu *>(QStringLiteral("mnuFile"));
        QCOMPARE(file->title(), QStringLiteral("Database"));
        auto entries = w->findChildren<QAction *>(QStringLiteral("mnuOptionsLanguageLanguages"));
        QCOMPARE(entries.size(), 3);
        QAction *nl = nullptr;
        QAction *bad = nullptr;
        for (QAction *a : entries) {
            if (a->text() == QLatin1String("Dutch"))
                nl = a;
            if (a->text() == QLatin1String("Junk"))
                bad = a;
        }
        QVERIFY(nl && bad);
        nl->trigger();
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("Dutch"));
        QCOMPARE(file->title(), QStringLiteral("Gegevensbestand"));
        QCOMPARE(w->personList().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Voornaam"));
        // The shown person's name stays on the details frame.
        QCOMPARE(child<QGroupBox>(*w, "fraDetails")->title(), QStringLiteral("Anne Smith"));
        QCOMPARE(child<QLabel>(*w, "lblAge")->text(), QStringLiteral("Age: 46"));
        QVERIFY(nl->isChecked());

        // A junk language file gives English texts and no trouble.
        bad->trigger();
        QCOMPARE(file->title(), QStringLiteral("Database"));
        QVERIFY(bad->isChecked() && !nl->isChecked());
    }

    void checkVersionToggle()
    {
        auto w = start(QString());
        int checks = 0;
        w->hooks().checkVersion = [&](QWidget *) { ++checks; };
        QAction *check = w->action(QStringLiteral("mnuOptionsCheck"));
        QVERIFY(check->isChecked());
        check->trigger();
        QCOMPARE(getSetting(QStringLiteral("Check version")), QStringLiteral("0"));
        QVERIFY(!check->isChecked());
        QCOMPARE(checks, 0);
        check->trigger();
        QCOMPARE(getSetting(QStringLiteral("Check version")), QStringLiteral("1"));
        QVERIFY(check->isChecked());
        QCOMPARE(checks, 1);
    }

    void websiteAndAbout()
    {
        auto w = start(QString());
        w->action(QStringLiteral("mnuHelpWebsite"))->trigger();
        QCOMPARE(env().launcher.urls.size(), size_t(1));
        QTimer::singleShot(0, this, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QCOMPARE(dialog->objectName(), QStringLiteral("frmAbout"));
            QCOMPARE(dialog->findChild<QGroupBox *>(QStringLiteral("fraInfo"))->title(),
                     QStringLiteral("Velmora 1.3.4"));
            // No language file in force: no translator frame.
            QVERIFY(dialog->findChild<QGroupBox *>(QStringLiteral("fraTranslation"))->isHidden());
            dialog->close();
        });
        w->action(QStringLiteral("mnuHelpAbout"))->trigger();
        // The About panel's address opens what it shows.
        auto *label = w->findChild<QWidget *>(QStringLiteral("fraAbout"))
                          ->findChild<QLabel *>(QStringLiteral("lblWebsite2"));
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(env().launcher.urls.back(), label->text());
    }

    void editAndRemoveHooks()
    {
        auto w = start(sampleBook());
        std::vector<int> edited;
        w->hooks().editPerson = [&](QWidget *, ListHost &, int nr) { edited.push_back(nr); };
        w->hooks().removePerson = [&](QWidget *, ListHost &, int nr) {
            return !executeSql(QStringLiteral("DELETE FROM Person WHERE Contactnr = %1 ").arg(nr)).failed();
        };
        auto *list = child<QTreeView>(*w, "lvwMain");
        // Nobody shown yet: Edit does nothing.
        w->button(QStringLiteral("Edit"))->trigger();
        QVERIFY(edited.empty());
        w->selectPerson(2);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(edited, std::vector<int>{2});
        w->action(QStringLiteral("mnuPersonRemove"))->trigger();
        QVERIFY(!detailsShown(*w));
        QCOMPARE(w->personList().rowCount(), 3);
        QCOMPARE(count(*w), QStringLiteral("-/3"));
        QVERIFY(!w->button(QStringLiteral("Remove"))->isEnabled());
    }

    void layoutSteps_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("column");
        QTest::newRow("narrow") << 11985 << 4095 << 1800;
        QTest::newRow("12000") << 12000 << 4215 << 1860;
        QTest::newRow("12999") << 12999 << 4215 << 1860;
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

    void layoutFollowsWindowWidth()
    {
        auto w = start(sampleBook());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->resize(12500 / kTwipsPerPixel, 600);
        auto *list = child<QTreeView>(*w, "lvwMain");
        QCOMPARE(list->columnWidth(0), 1860 / kTwipsPerPixel);
        w->resize(1200, 700);
        QCOMPARE(list->columnWidth(0), 2850 / kTwipsPerPixel);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
