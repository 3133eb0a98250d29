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

    void opening()
    {
        auto w = open();
        QCOMPARE(w->objectName(), QStringLiteral("frmSearch"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Search"));
        QVERIFY(w->isModal());
        const QList<std::pair<const char *, const char *>> frames = {{"fraFirstname", "First name"},
                                                                     {"fraLastname", "Last name"},
                                                                     {"fraDateofbirth", "Date of birth"},
                                                                     {"fraAddress", "Address"},
                                                                     {"fraPhone", "Number"},
                                                                     {"fraEmail", "E-mail"},
                                                                     {"fraNote", "Note"}};
        for (const auto &[name, caption] : frames)
            QCOMPARE(find<QGroupBox>(*w, name)->title(), QString::fromLatin1(caption));
        QCOMPARE(find<QPushButton>(*w, "cmdOk")->text(), QStringLiteral("OK"));
        QCOMPARE(find<QPushButton>(*w, "cmdCancel")->text(), QStringLiteral("Cancel"));
        QVERIFY(!find<QPushButton>(*w, "cmdOk")->isDefault());
        QVERIFY(!find<QPushButton>(*w, "cmdOk")->autoDefault());

        // Operators at their opening positions, every field visible and
        // empty; "Between" shows the second date.
        const QList<std::pair<const char *, int>> initial = {
            {"cboFirstname", 1}, {"cboLastname", 1}, {"cboAddress", 1}, {"cboPhone", 0},
            {"cboEmail", 0},     {"cboDate", 1},     {"cboNote", 0}};
        for (const auto &[name, position] : initial)
            QCOMPARE(find<QComboBox>(*w, name)->currentIndex(), position);
        QCOMPARE(find<QComboBox>(*w, "cboDate")->itemText(1), QStringLiteral("Between"));
        QCOMPARE(find<QComboBox>(*w, "cboNote")->count(), 2);
        for (const char *name :
             {"txtFirstname", "txtLastname", "txtPhone", "txtEmail", "txtDate", "txtDate2"})
            QVERIFY2(find<QLineEdit>(*w, name)->isVisible(), name);
        QVERIFY(find<QLabel>(*w, "lblSplit")->isVisible());
        QCOMPARE(find<QLabel>(*w, "lblSplit")->text(), QStringLiteral("-"));
        QVERIFY(find<QPlainTextEdit>(*w, "txtAddress")->isVisible());
        QVERIFY(find<QPlainTextEdit>(*w, "txtNote")->isVisible());

        QCOMPARE(find<QLineEdit>(*w, "txtFirstname")->maxLength(), 50);
        QCOMPARE(find<QLineEdit>(*w, "txtLastname")->maxLength(), 20);
        QCOMPARE(find<QLineEdit>(*w, "txtPhone")->maxLength(), 50);
        QCOMPARE(find<QLineEdit>(*w, "txtEmail")->maxLength(), 100);
        QCOMPARE(find<QLabel>(*w, "lblDateFormat")->text(), QStringLiteral("(dd/mm/yyyy)"));
        QCOMPARE(find<QLineEdit>(*w, "txtDate")->displayText(), QStringLiteral("__/__/____"));
        QCOMPARE(find<QLineEdit>(*w, "txtDate2")->displayText(), QStringLiteral("__/__/____"));
    }

    void dateMask_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("day first") << "dd/mm/yyyy"
                                   << "31121970"
                                   << "31/12/1970";
        QTest::newRow("month first") << "mm/dd/yyyy"
                                     << "12311970"
                                     << "12/31/1970";
        QTest::newRow("year first") << "yyyy/mm/dd"
                                    << "19701231"
                                    << "1970/12/31";
        QTest::newRow("letters refused") << "dd/mm/yyyy"
                                         << "ab1"
                                         << "1_/__/____";
    }
    void dateMask()
    {
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        saveSetting(QStringLiteral("Date"), format);
        auto w = open();
        QCOMPARE(find<QLabel>(*w, "lblDateFormat")->text(), "(" + format + ")");
        QLineEdit *date = find<QLineEdit>(*w, "txtDate");
        date->setFocus();
        date->home(false);
        QTest::keyClicks(date, typed);
        QCOMPARE(date->displayText(), shown);
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
        QTest::newRow("first ends") << "cboFirstname" << 3 << QStringList{"txtFirstname"} << QStringList{};
        QTest::newRow("phone filled in") << "cboPhone" << 4 << QStringList{} << QStringList{"txtPhone"};
        QTest::newRow("e-mail filled in") << "cboEmail" << 4 << QStringList{} << QStringList{"txtEmail"};
        QTest::newRow("address filled in") << "cboAddress" << 4 << QStringList{} << QStringList{"txtAddress"};
        QTest::newRow("note filled in") << "cboNote" << 1 << QStringList{} << QStringList{"txtNote"};
        QTest::newRow("date equal") << "cboDate" << 0 << QStringList{"txtDate"}
                                    << QStringList{"lblSplit", "txtDate2"};
        QTest::newRow("date before") << "cboDate" << 2 << QStringList{"txtDate"}
                                     << QStringList{"lblSplit", "txtDate2"};
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

    void nameOrder_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QStringList>("tabOrder");
        QTest::newRow("first name first")
            << "First name Last name"
            << "fraFirstname"
            << QStringList{"cboFirstname", "txtFirstname", "cboLastname", "txtLastname", "cboDate",
                           "txtDate",      "txtDate2",     "cboPhone",    "txtPhone",    "cboEmail",
                           "txtEmail",     "cboAddress",   "txtAddress",  "cboNote",     "txtNote",
                           "cmdOk",        "cmdCancel"};
        QTest::newRow("last name first")
            << "Last name First name"
            << "fraLastname"
            << QStringList{"cboLastname", "txtLastname", "cboFirstname", "txtFirstname", "cboDate"};
        QTest::newRow("unknown value keeps the design")
            << "Name"
            << "fraFirstname"
            << QStringList{"cboFirstname", "txtFirstname", "cboLastname", "txtLastname", "cboDate"};
    }
    void nameOrder()
    {
        QFETCH(QString, list);
        QFETCH(QString, left);
        QFETCH(QStringList, tabOrder);
        saveSetting(QStringLiteral("List"), list);
        auto w = open();
        QWidget *leftFrame = w->findChild<QWidget *>(left);
        QWidget *other =
            w->findChild<QWidget *>(left == QLatin1String("fraFirstname") ? "fraLastname" : "fraFirstname");
        QCOMPARE(leftFrame->y(), other->y());
        QVERIFY(leftFrame->x() < other->x());
        QWidget *current = w->findChild<QWidget *>(tabOrder.first());
        QCOMPARE(w->focusWidget(), current);
        for (qsizetype i = 1; i < tabOrder.size(); ++i) {
            QWidget *next = current->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus)
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), tabOrder.at(i));
            current = next;
        }
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

    // OK is not the default button: Enter in a field does not search.
    void enterDoesNotSearch()
    {
        auto w = open();
        QSignalSpy finished(w.get(), &QDialog::finished);
        QLineEdit *first = find<QLineEdit>(*w, "txtFirstname");
        first->setText(QStringLiteral("ann"));
        QTest::keyClick(first, Qt::Key_Return);
        QTest::keyClick(first, Qt::Key_Enter);
        QCOMPARE(finished.count(), 0);
        QVERIFY(m_host.calls.isEmpty());
    }

    void okPhoneOnly()
    {
        auto w = open();
        find<QComboBox>(*w, "cboPhone")->setCurrentIndex(2);
        find<QLineEdit>(*w, "txtPhone")->setText(QStringLiteral("0471"));
        click(*w, "cmdOk");
        QCOMPARE(m_host.calls, (QStringList{"hide details", "fill"}));
        QVERIFY(m_host.stateAtFill.byPhone);
        QCOMPARE(m_host.stateAtFill.phoneMatch, 2);
        QCOMPARE(m_host.stateAtFill.phoneNumber, QStringLiteral("0471"));
        QCOMPARE(m_host.stateAtFill.condition, QString());
    }

    void okTakesTheTypedDates()
    {
        saveSetting(QStringLiteral("Date"), QStringLiteral("yyyy/mm/dd"));
        auto w = open();
        find<QComboBox>(*w, "cboDate")->setCurrentIndex(3);
        QLineEdit *date = find<QLineEdit>(*w, "txtDate");
        date->setFocus();
        date->home(false);
        QTest::keyClicks(date, QStringLiteral("19701231"));
        click(*w, "cmdOk");
        QCOMPARE(m_host.stateAtFill.condition, QStringLiteral("WHERE Dateofbirth > #12/31/1970# "));
    }

    // Leaving without a search: Cancel, Esc, the frame's close button, OK
    // with nothing to search for. Search mode goes off, the list is not
    // rebuilt.
    void leavingSwitchesSearchOff_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("frame") << "frame";
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
        QTest::newRow("between, second date") << 1 << "01/01/1970"
                                              << "31/02/1980";
        QTest::newRow("before, hidden second date") << 2 << "01/01/1970"
                                                    << "99/99/1999";
        QTest::newRow("filled in, hidden first date") << 4 << "01/13/1970"
                                                      << "";
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

    // A picture of the window for a look by eye: set VELMORA_GRAB_DIR.
    void picture()
    {
        const QString dir = qEnvironmentVariable("VELMORA_GRAB_DIR");
        if (dir.isEmpty())
            QSKIP("VELMORA_GRAB_DIR not set");
        for (const QString &list :
             {QStringLiteral("First name Last name"), QStringLiteral("Last name First name")}) {
            saveSetting(QStringLiteral("List"), list);
            auto w = open();
            w->adjustSize();
            QTest::qWait(50);
            QVERIFY(w->grab().save(
                QDir(dir).filePath(QStringLiteral("frmSearch-%1.png")
                                       .arg(list.startsWith(QLatin1Char('F')) ? "first" : "last"))));
            find<QComboBox>(*w, "cboDate")->setCurrentIndex(3);
            find<QComboBox>(*w, "cboPhone")->setCurrentIndex(4);
            QVERIFY(w->grab().save(QDir(dir).filePath(QStringLiteral("frmSearch-hidden.png"))));
        }
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
