#include "TestEnv.h"

#include "mainwindow/SearchState.h"
#include "mainwindow/ui/ListHost.h"
#include "search/ui/SearchWindow.h"
#include "settings/Settings.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace velmora;

namespace {

// The main window as the search window sees it: records what it is asked.
class FakeHost : public ListHost {
public:
    void fillPersonList() override
    {
        calls << QStringLiteral("fill");
        stateAtFill = searchState();
    }
    void setSearchMode(bool on) override
    {
        calls << (on ? QStringLiteral("search on") : QStringLiteral("search off"));
        mode = on;
        searchState().searchMode = on;
    }
    bool searchMode() const override { return mode; }
    void selectPerson(int contactnr) override { calls << QStringLiteral("select %1").arg(contactnr); }
    void hideDetails() override { calls << QStringLiteral("hide details"); }

    QStringList calls;
    SearchState stateAtFill;
    bool mode = true;
};

} // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    FakeHost m_host;

    // A window as the main window opens it: search mode just switched on.
    std::unique_ptr<SearchWindow> open()
    {
        m_host = FakeHost();
        m_env.prompts.clear();
        searchState() = SearchState();
        searchState().searchMode = true;
        auto w = std::make_unique<SearchWindow>(&m_host);
        w->show();
        return w;
    }
    template <typename T> static T *find(SearchWindow &w, const char *name)
    {
        T *child = w.findChild<T *>(QString::fromLatin1(name));
        if (!child)
            qWarning("no %s", name);
        return child;
    }
    static void click(SearchWindow &w, const char *button) { find<QPushButton>(w, button)->click(); }

private slots:
    void init()
    {
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        saveSetting(QStringLiteral("List"), QStringLiteral("First name Last name"));
    }

    // Choosing an operator shows or hides the row's fields; a hidden field
    // keeps its text.
    void operatorsShowFields_data()
    {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("first filled in")
            << "cboFirstname" << 4 << QStringList{} << QStringList{"txtFirstname"};
        QTest::newRow("phone filled in") << "cboPhone" << 4 << QStringList{} << QStringList{"txtPhone"};
        QTest::newRow("note filled in") << "cboNote" << 1 << QStringList{} << QStringList{"txtNote"};
        QTest::newRow("date after") << "cboDate" << 3 << QStringList{"txtDate"}
                                    << QStringList{"lblSplit", "txtDate2"};
        QTest::newRow("date filled in")
            << "cboDate" << 4 << QStringList{} << QStringList{"txtDate", "lblSplit", "txtDate2"};
    }
    void operatorsShowFields()
    {
        QFETCH(QString, combo);
        QFETCH(int, position);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        auto w = open();
        const auto lines = w->findChildren<QLineEdit *>();
        for (QLineEdit *line : lines)
            line->setText(line->inputMask().isEmpty() ? QStringLiteral("kept")
                                                      : QStringLiteral("01/02/1970"));
        QComboBox *cbo = w->findChild<QComboBox *>(combo);
        cbo->setCurrentIndex(position);
        for (const QString &name : shown)
            QVERIFY2(w->findChild<QWidget *>(name)->isVisible(), qPrintable(name));
        for (const QString &name : hidden)
            QVERIFY2(!w->findChild<QWidget *>(name)->isVisible(), qPrintable(name));
        for (QLineEdit *line : lines)
            QVERIFY(!line->displayText().contains(QLatin1Char('_')) && !line->displayText().isEmpty());
        // Back to the first item: everything of the row shows again.
        cbo->setCurrentIndex(combo == QLatin1String("cboDate") ? 1 : 0);
        for (const QString &name : hidden)
            QVERIFY2(w->findChild<QWidget *>(name)->isVisible(), qPrintable(name));
    }

    // OK with a condition: the state is written, the details hidden, the
    // list rebuilt in search mode, and the window closes.
    void okSearches()
    {
        auto w = open();
        QSignalSpy finished(w.get(), &QDialog::finished);
        find<QLineEdit>(*w, "txtFirstname")->setText(QStringLiteral("ann"));
        find<QComboBox>(*w, "cboFirstname")->setCurrentIndex(2);
        find<QLineEdit>(*w, "txtLastname")->setText(QStringLiteral("O'Neil"));
        find<QComboBox>(*w, "cboLastname")->setCurrentIndex(0);
        click(*w, "cmdOk");
        QCOMPARE(m_host.calls, (QStringList{"hide details", "fill"}));
        QCOMPARE(m_host.stateAtFill.condition,
                 QStringLiteral("WHERE Firstname LIKE 'ann%' AND Lastname = 'O''Neil' "));
        QVERIFY(m_host.stateAtFill.searchMode);
        QVERIFY(w->searchDone());
        QCOMPARE(finished.count(), 1);
        QVERIFY(!w->isVisible());
        QCOMPARE(m_env.prompts.messageCount(), 0);
    }

    // Leaving without a search: Cancel, Esc, the frame's close button, OK
    // with nothing to search for. Search mode goes off, the list is not
    // rebuilt.
    void leavingSwitchesSearchOff_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("ok without condition") << "ok";
        QTest::newRow("ok with one date of Between") << "between";
    }
    void leavingSwitchesSearchOff()
    {
        QFETCH(QString, how);
        auto w = open();
        QSignalSpy finished(w.get(), &QDialog::finished);
        searchState().condition = QStringLiteral("WHERE x ");
        if (how == QLatin1String("cancel")) {
            click(*w, "cmdCancel");
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(find<QLineEdit>(*w, "txtFirstname"), Qt::Key_Escape);
        } else if (how == QLatin1String("frame")) {
            w->close();
        } else {
            if (how == QLatin1String("between"))
                find<QLineEdit>(*w, "txtDate")->setText(QStringLiteral("01/01/1970"));
            // A text whose list has no item selected gives no condition.
            find<QComboBox>(*w, "cboFirstname")->setCurrentIndex(-1);
            find<QLineEdit>(*w, "txtFirstname")->setText(QStringLiteral("ann"));
            click(*w, "cmdOk");
        }
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_host.calls, QStringList{"search off"});
        QVERIFY(!searchState().searchMode);
        QCOMPARE(searchState().condition, QString());
        QVERIFY(!w->searchDone());
    }

    // An invalid date, shown or hidden: the message, and the window stays
    // open with everything typed.
    void invalidDateKeepsTheWindow_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("date1");
        QTest::addColumn<QString>("date2");
        QTest::newRow("between, second date") << 1 << "01/01/1970" << "31/02/1980";
        QTest::newRow("before, hidden second date") << 2 << "01/01/1970" << "99/99/1999";
        QTest::newRow("filled in, hidden first date") << 4 << "01/13/1970" << "";
    }
    void invalidDateKeepsTheWindow()
    {
        QFETCH(int, op);
        QFETCH(QString, date1);
        QFETCH(QString, date2);
        auto w = open();
        QSignalSpy finished(w.get(), &QDialog::finished);
        find<QLineEdit>(*w, "txtDate")->setText(date1);
        find<QLineEdit>(*w, "txtDate2")->setText(date2);
        find<QComboBox>(*w, "cboDate")->setCurrentIndex(op);
        find<QLineEdit>(*w, "txtFirstname")->setText(QStringLiteral("ann"));
        const QString shown1 = find<QLineEdit>(*w, "txtDate")->displayText();
        const QString shown2 = find<QLineEdit>(*w, "txtDate2")->displayText();
        click(*w, "cmdOk");

        QCOMPARE(m_env.prompts.messageCount(), 1);
        const auto &message = m_env.prompts.shown().back();
        QCOMPARE(message.text, QStringLiteral("Date of birth is invalid!"));
        QCOMPARE(message.title, QStringLiteral("Error"));
        QCOMPARE(message.icon, Icon::Exclamation);
        QCOMPARE(message.buttons, Buttons::Ok);
        QCOMPARE(finished.count(), 0);
        QVERIFY(w->isVisible());
        QVERIFY(m_host.calls.isEmpty());
        QVERIFY(searchState().searchMode);
        QCOMPARE(find<QLineEdit>(*w, "txtDate")->displayText(), shown1);
        QCOMPARE(find<QLineEdit>(*w, "txtDate2")->displayText(), shown2);
        QCOMPARE(find<QLineEdit>(*w, "txtFirstname")->text(), QStringLiteral("ann"));
        QCOMPARE(find<QComboBox>(*w, "cboDate")->currentIndex(), op);

        // Correcting the date lets the search run.
        find<QLineEdit>(*w, "txtDate")->setText(QStringLiteral("01/01/1970"));
        find<QLineEdit>(*w, "txtDate2")->setText(QStringLiteral("01/01/1980"));
        click(*w, "cmdOk");
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_host.calls, (QStringList{"hide details", "fill"}));
    }

};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
