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
#include <functional>

using namespace velmora;

// The search command of the main window with the real search window: the
// toolbar button and the menu entry in step, the window's OK and Cancel, the
// list they leave.
class TestSearchCommand : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TestEnv> m_env;
    std::unique_ptr<MainWindow> m_main;

    // Works the search window once it is up (it runs modally).
    static void whenShown(std::function<void(SearchWindow &)> work)
    {
        QTimer::singleShot(0, qApp, [work] {
            auto *w = qobject_cast<SearchWindow *>(QApplication::activeModalWidget());
            QVERIFY(w);
            work(*w);
            // A window the work left open is cancelled.
            if (w->isVisible())
                w->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        });
    }
    static void set(SearchWindow &w, const char *combo, int position, const char *field = nullptr,
                    const char *text = nullptr)
    {
        w.findChild<QComboBox *>(QLatin1String(combo))->setCurrentIndex(position);
        if (field)
            w.findChild<QLineEdit *>(QLatin1String(field))->setText(QString::fromUtf8(text));
    }
    static void ok(SearchWindow &w) { w.findChild<QPushButton *>(QStringLiteral("cmdOk"))->click(); }

    QList<int> listed() const
    {
        QList<int> numbers;
        for (const PersonRow &row : m_main->personList().rows())
            numbers << row.contactnr;
        return numbers;
    }
    bool buttonDown() const { return m_main->button(QStringLiteral("Search"))->isChecked(); }
    bool menuChecked() const { return m_main->action(QStringLiteral("mnuActionSearch"))->isChecked(); }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        searchState() = SearchState{};
        saveSetting(QStringLiteral("List"), QStringLiteral("First name Last name"));
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        const QString path = m_env->file(QStringLiteral("book.mdb"));
        {
            test::SearchBook book(path);
        }
        m_main = std::make_unique<MainWindow>();
        m_main->hooks().advancedSearch = &SearchWindow::run;
        QVERIFY(Database::instance().openDatabase(path));
        m_main->show();
        QCOMPARE(listed().size(), 6);
    }
    void cleanup()
    {
        m_main.reset();
        Database::instance().closeDatabase(false);
        searchState() = SearchState{};
        m_env.reset();
    }

    // OK with a search: search mode on in both controls, the matches listed
    // (each once), the first one shown.
    void searchFromTheButton()
    {
        whenShown([](SearchWindow &w) {
            set(w, "cboPhone", 2, "txtPhone", "0471/12");
            ok(w);
        });
        m_main->button(QStringLiteral("Search"))->trigger();
        QVERIFY(buttonDown());
        QVERIFY(menuChecked());
        QCOMPARE(listed(), (QList<int>{1, 2}));
        QCOMPARE(m_main->shownContactnr(), 1);

        // Switching off from the menu lists everybody again.
        m_main->action(QStringLiteral("mnuActionSearch"))->trigger();
        QVERIFY(!buttonDown());
        QVERIFY(!menuChecked());
        QCOMPARE(listed().size(), 6);
        QCOMPARE(searchState().condition, QString());
    }

    // A search that finds nobody: no person shown, Edit and Remove off, the
    // search command stays on to switch it off again.
    void searchFindingNobody()
    {
        m_main->showPerson(4);
        whenShown([](SearchWindow &w) {
            set(w, "cboFirstname", 0, "txtFirstname", "Nobody");
            ok(w);
        });
        m_main->button(QStringLiteral("Search"))->trigger();
        QVERIFY(buttonDown());
        QCOMPARE(listed(), QList<int>{});
        QCOMPARE(m_main->shownContactnr(), -1);
        for (const char *key : {"Edit", "Remove"})
            QVERIFY(!m_main->button(QLatin1String(key))->isEnabled());
        for (const char *name : {"mnuPersonEdit", "mnuPersonRemove"})
            QVERIFY(!m_main->action(QLatin1String(name))->isEnabled());
        QVERIFY(m_main->button(QStringLiteral("Search"))->isEnabled());
        QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Count"))->text(), QStringLiteral("-/0"));
    }

    // Leaving the window without a search switches search mode off in both
    // controls; every person stays listed.
    void leavingWithoutSearch_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("ok with nothing") << "ok";
        QTest::newRow("invalid date, then cancel") << "invalid";
    }
    void leavingWithoutSearch()
    {
        QFETCH(QString, how);
        whenShown([how](SearchWindow &w) {
            if (how == QLatin1String("ok")) {
                ok(w);
            } else if (how == QLatin1String("invalid")) {
                set(w, "cboDate", 0, "txtDate", "31/02/1970");
                ok(w);
                QVERIFY(w.isVisible());
            }
        });
        m_main->button(QStringLiteral("Search"))->trigger();
        QVERIFY(!buttonDown());
        QVERIFY(!menuChecked());
        QVERIFY(!searchState().searchMode);
        QCOMPARE(searchState().condition, QString());
        QCOMPARE(listed().size(), 6);
        QCOMPARE(m_env->prompts.messageCount(), how == QLatin1String("invalid") ? 1 : 0);
    }
};

QTEST_MAIN(TestSearchCommand)
#include "tst_searchcommand.moc"
