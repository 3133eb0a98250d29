#include "SearchBook.h"
#include "TestEnv.h"

#include "mainwindow/PersonListModel.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/MainWindow.h"
#include "search/ui/SearchWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <functional>

using namespace velmora;

// The main window's search command with the real search window: button and
// menu entry in step, the window's fields, OK and Cancel, the list they leave.
class TestSearchCommand : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TestEnv> m_env;
    std::unique_ptr<MainWindow> m_main;

    // Presses Search and works the (modal) window; one left open is cancelled.
    void search(const std::function<void(SearchWindow &)> &work)
    {
        QObject guard; // no work once this test has moved on
        bool worked = false;
        QTimer::singleShot(0, &guard, [&] {
            auto *w = qobject_cast<SearchWindow *>(QApplication::activeModalWidget());
            QVERIFY(w);
            work(*w);
            worked = true;
            if (w->isVisible())
                w->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        });
        m_main->button(QStringLiteral("Search"))->trigger();
        QVERIFY(worked);
    }
    static QLineEdit *line(SearchWindow &w, const char *name) { return w.findChild<QLineEdit *>(name); }
    // Chooses the operator at position and types text into the row's field.
    static void set(SearchWindow &w, const char *combo, int position, const char *field, const QString &text)
    {
        w.findChild<QComboBox *>(QLatin1String(combo))->setCurrentIndex(position);
        line(w, field)->setText(text);
    }
    static void ok(SearchWindow &w) { w.findChild<QPushButton *>(QStringLiteral("cmdOk"))->click(); }

    QList<int> listed() const
    {
        QList<int> numbers;
        for (const PersonRow &row : m_main->personList().rows())
            numbers << row.contactnr;
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    // How many of the two search controls (button, menu entry) are on: 0 or 2.
    int searchControlsOn() const
    {
        return int(m_main->button(QStringLiteral("Search"))->isChecked()) +
               int(m_main->action(QStringLiteral("mnuActionSearch"))->isChecked());
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        saveSetting(QStringLiteral("List"), QStringLiteral("First name Last name"));
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        test::SearchBook{m_env->file(QStringLiteral("book.mdb"))};
        m_main = std::make_unique<MainWindow>();
        m_main->hooks().advancedSearch = &SearchWindow::run;
        QVERIFY(Database::instance().openDatabase(m_env->file(QStringLiteral("book.mdb"))));
        m_main->show();
    }
    void cleanup()
    {
        m_main.reset();
        Database::instance().closeDatabase(false);
        searchState() = SearchState{};
        m_env.reset();
    }

    // Choosing an operator shows or hides the row's fields; a hidden field
    // keeps its text, and the row's first item shows it again.
    void operatorsShowFields_data()
    {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        using S = QStringList;
        QTest::newRow("first filled in") << "cboFirstname" << 4 << S{} << S{"txtFirstname"};
        QTest::newRow("note filled in") << "cboNote" << 1 << S{} << S{"txtNote"};
        QTest::newRow("date after") << "cboDate" << 3 << S{"txtDate"} << S{"lblSplit", "txtDate2"};
        QTest::newRow("date filled in") << "cboDate" << 4 << S{} << S{"txtDate", "lblSplit", "txtDate2"};
    }
    void operatorsShowFields()
    {
        QFETCH(QString, combo);
        QFETCH(int, position);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        search([&](SearchWindow &w) {
            const auto lines = w.findChildren<QLineEdit *>();
            for (QLineEdit *e : lines)
                e->setText(e->inputMask().isEmpty() ? QStringLiteral("kept") : QStringLiteral("01/02/1970"));
            auto *cbo = w.findChild<QComboBox *>(combo);
            cbo->setCurrentIndex(position);
            for (const QString &name : shown + hidden)
                QVERIFY2(w.findChild<QWidget *>(name)->isVisible() == shown.contains(name), qPrintable(name));
            for (QLineEdit *e : lines)
                QVERIFY(!e->displayText().contains(QLatin1Char('_')) && !e->displayText().isEmpty());
            cbo->setCurrentIndex(combo == QLatin1String("cboDate") ? 1 : 0);
            for (const QString &name : hidden)
                QVERIFY2(w.findChild<QWidget *>(name)->isVisible(), qPrintable(name));
        });
    }

    // OK with a search: search mode on in both controls, the matches listed
    // once each, the first shown, Edit and Remove on only if someone is found.
    // Leaving without a search (Cancel, Esc, OK with nothing to search for)
    // switches search mode off in both controls and lists everybody.
    void leavingTheWindow_data()
    {
        QTest::addColumn<QStringList>("typed"); // operator box, its position, field, text
        QTest::addColumn<QString>("how");       // ok, cancel or escape
        QTest::addColumn<QList<int>>("found");  // everybody: no search
        using S = QStringList;
        const QList<int> all{1, 2, 3, 4, 5, 6};
        // clang-format off
        QTest::newRow("phone number") << S{"cboPhone", "2", "txtPhone", "0471/12"} << "ok" << QList<int>{1, 2};
        QTest::newRow("nobody") << S{"cboFirstname", "0", "txtFirstname", "Nobody"} << "ok" << QList<int>{};
        QTest::newRow("cancel") << S{} << "cancel" << all;
        QTest::newRow("escape") << S{} << "escape" << all;
        QTest::newRow("ok with nothing") << S{} << "ok" << all;
        QTest::newRow("ok, a text without operator") << S{"cboFirstname", "-1", "txtFirstname", "ann"} << "ok" << all;
        QTest::newRow("ok with one date of Between") << S{"cboDate", "1", "txtDate", "01/01/1970"} << "ok" << all;
        // clang-format on
    }
    void leavingTheWindow()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, how);
        QFETCH(QList<int>, found);
        const bool searching = found.size() < 6;
        m_main->showPerson(4);
        search([&](SearchWindow &w) {
            if (!typed.isEmpty())
                set(w, qPrintable(typed[0]), typed[1].toInt(), qPrintable(typed[2]), typed[3]);
            if (how == QLatin1String("escape"))
                QTest::keyClick(line(w, "txtFirstname"), Qt::Key_Escape);
            if (how == QLatin1String("ok"))
                ok(w);
            QCOMPARE(w.isVisible(), how == QLatin1String("cancel"));
        });
        QCOMPARE(m_env->prompts.messageCount(), 0);
        QCOMPARE(searchControlsOn(), searching ? 2 : 0);
        QCOMPARE(listed(), found);
        QVERIFY(searching || searchState().condition.isEmpty());
        if (!searching)
            return;
        QCOMPARE(m_main->shownContactnr(), found.value(0, -1));
        for (const char *name : {"Edit", "Remove"})
            QCOMPARE(m_main->button(QLatin1String(name))->isEnabled(), !found.isEmpty());
        QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Count"))->text(),
                 found.isEmpty() ? QStringLiteral("-/0") : QStringLiteral("1/2"));
        m_main->action(QStringLiteral("mnuActionSearch"))->trigger();
        QCOMPARE(searchControlsOn(), 0);
    }

    // An invalid date, shown or hidden: the message, the window stays open
    // with everything typed; corrected, the same OK searches.
    void invalidDateKeepsTheWindow_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QStringList>("dates");
        QTest::addColumn<QList<int>>("found");
        using L = QList<int>;
        QTest::newRow("between, second date") << 1 << QStringList{"01/01/1970", "31/02/1980"} << L{2};
        QTest::newRow("before, hidden second date") << 2 << QStringList{"01/01/1970", "99/99/1999"} << L{1};
        QTest::newRow("filled in, hidden first date") << 4 << QStringList{"01/13/1970", ""} << L{1, 2};
        QTest::newRow("no operator, first date") << -1 << QStringList{"32/01/1970", ""} << L{1, 2, 3};
    }
    void invalidDateKeepsTheWindow()
    {
        QFETCH(int, op);
        QFETCH(QStringList, dates);
        search([&](SearchWindow &w) {
            set(w, "cboDate", op, "txtDate", dates[0]);
            set(w, "cboFirstname", 1, "txtFirstname", QStringLiteral("ann"));
            line(w, "txtDate2")->setText(dates[1]);
            const auto texts = [&] {
                return QStringList{line(w, "txtDate")->displayText(), line(w, "txtDate2")->displayText(),
                                   line(w, "txtFirstname")->displayText()};
            };
            const QStringList typed = texts();
            ok(w);
            QCOMPARE(m_env->prompts.messageCount(), 1);
            QCOMPARE(m_env->prompts.lastMessage(), QStringLiteral("Date of birth is invalid!"));
            QVERIFY(w.isVisible());
            QCOMPARE(texts(), typed);
            QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("cboDate"))->currentIndex(), op);

            set(w, "cboDate", op, "txtDate", QStringLiteral("01/01/1975"));
            line(w, "txtDate2")->setText(QStringLiteral("01/01/1981"));
            ok(w);
            QVERIFY(!w.isVisible());
        });
        QCOMPARE(searchControlsOn(), 2);
        QTEST(listed(), "found");
    }
};

QTEST_MAIN(TestSearchCommand)
#include "tst_searchcommand.moc"
