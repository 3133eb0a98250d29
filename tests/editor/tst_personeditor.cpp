#include "TestEnv.h"

#include "editor/ui/DateField.h"
#include "editor/ui/EntryDialog.h"
#include "editor/ui/PersonEditor.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

using namespace velmora;

using Kind = EntryDialog::Kind;
Q_DECLARE_METATYPE(EntryDialog::Kind)

namespace {

// The main window as the editor sees it: records what it is asked to do.
class FakeHost : public ListHost {
public:
    void fillPersonList() override { calls << QStringLiteral("fill"); }
    void setSearchMode(bool on) override { calls << QLatin1String((mode = on) ? "search on" : "search off"); }
    bool searchMode() const override { return mode; }
    void selectPerson(int contactnr) override { calls << QStringLiteral("select %1").arg(contactnr); }
    void hideDetails() override { calls << QStringLiteral("hide details"); }
    int shownPerson() const override { return -1; }
    std::vector<int> listedPersons() const override { return {}; }
    QStringList calls;
    bool mode = true;
};

template <typename T> T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

void rawSql(const char *sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(Database::instance().connection().handle(), sql, nullptr, nullptr, &error);
    QVERIFY2(rc == SQLITE_OK, error ? error : "");
}

QString bookText()
{
    QString out;
    for (const char *table : {"Person", "Phone", "Email"}) {
        Recordset rs;
        openRecordset(QStringLiteral("SELECT * FROM %1 ").arg(QLatin1String(table)), rs);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (const auto &c : rs.columns())
                cells << rs.field(c.name).toString();
            out += QLatin1String(table) + QLatin1Char('|') + cells.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
    }
    return out;
}

// An entry dialog's list with two rows, "other" and the given one, the current
// row as given; row shows a list row as "text=value|tool tip".
void fillList(QListWidget &list, const QString &text, const QString &value, int current)
{
    for (const auto &[t, v] :
         {std::pair{QStringLiteral("other"), QStringLiteral("other")}, std::pair{text, value}}) {
        auto *item = new QListWidgetItem(t, &list);
        item->setToolTip(t);
        item->setData(EntryDialog::ValueRole, v);
    }
    list.setCurrentRow(current);
}
QString row(QListWidget &list, int i)
{
    QListWidgetItem *item = list.item(i);
    return item->text() + QLatin1Char('=') + item->data(EntryDialog::ValueRole).toString() +
           QLatin1Char('|') + item->toolTip();
}

} // namespace

class TestPersonEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;
    FakeHost m_host;

    // Answers the editor's entry dialogs without a modal loop: each answer fills
    // value and description and presses OK.
    void answerDialogs(PersonEditor &editor, QList<QStringList> answers)
    {
        editor.setDialogRunner([answers](EntryDialog &dialog) mutable {
            if (answers.isEmpty())
                return;
            dialog.valueField()->setText(answers.front().value(0));
            dialog.descriptionField()->setText(answers.takeFirst().value(1));
            dialog.okButton()->click();
        });
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        saveSetting(QStringLiteral("List"), QStringLiteral("First name Last name"));
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        m_host = FakeHost();
        searchState() = SearchState();
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // The date field takes digits only, typed or pasted (the editor rules read it).
    void typingAndPastingADate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("field");
        QTest::newRow("typed digits") << "31121970" << false << "31/12/1970";
        QTest::newRow("letters are refused") << "3x1a12b1970" << false << "31/12/1970";
        QTest::newRow("pasted with slashes") << "29/02/2000" << true << "29/02/2000";
        QTest::newRow("day only") << "1" << false << "1//";
    }
    void typingAndPastingADate()
    {
        QFETCH(QString, typed);
        QFETCH(bool, paste);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto *date = child<DateField>(&editor, "txtDateofbirth");
        date->setFocus();
        date->setCursorPosition(0);
        QGuiApplication::clipboard()->setText(typed);
        paste ? date->paste() : QTest::keyClicks(date, typed);
        QTEST(date->fieldText(), "field");
    }

    // OK checks the names and the date, then saves. A refusal, of the fields or of
    // a phone the book will not take, leaves the editor open as typed and the book
    // unchanged. Person 1 is in the book already.
    void okRefusedOrSaved_data()
    {
        QTest::addColumn<bool>("edit");          // person 1, else a new one
        QTest::addColumn<QStringList>("fields"); // first name, last name, date, phone added
        QTest::addColumn<QString>("message");    // empty: saved
        const QString names = QStringLiteral("Either first name or last name has to be filled in!");
        const QString date = QStringLiteral("Date of birth is invalid!");
        const QString book = QStringLiteral("The person could not be saved:\r\nrefused");
        using S = QStringList;
        QTest::newRow("both names empty") << false << S{"", "", "", ""} << names;
        QTest::newRow("last name only") << false << S{"", "Smith", "", ""} << QString();
        QTest::newRow("blanks count as a name") << false << S{"   ", "", "", ""} << QString();
        QTest::newRow("invalid date") << false << S{"Anne", "", "31/02/2000", ""} << date;
        QTest::newRow("single day digit") << false << S{"Anne", "", "1_/02/2000", ""} << QString();
        QTest::newRow("add: phone refused by the book") << false << S{"New", "", "", "bad"} << book;
        QTest::newRow("edit: phone refused by the book") << true << S{"New", "", "", "bad"} << book;
    }
    void okRefusedOrSaved()
    {
        QFETCH(bool, edit);
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        rawSql("INSERT INTO Person(Contactnr, Firstname) VALUES(1, 'Old');"
               "INSERT INTO Phone(Contactnr, [Order], Number, Description) VALUES(1, 1, '1', '');"
               "CREATE TRIGGER refuse BEFORE INSERT ON Phone WHEN NEW.Number = 'bad' "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = bookText();
        PersonEditor editor(edit ? PersonEditor::Mode::Edit : PersonEditor::Mode::Add, 1, &m_host);
        answerDialogs(editor, {{fields[3]}});
        editor.show();
        child<QLineEdit>(&editor, "txtFirstname")->setText(fields[0]);
        child<QLineEdit>(&editor, "txtLastname")->setText(fields[1]);
        if (!fields[2].isEmpty())
            child<DateField>(&editor, "txtDateofbirth")->setText(fields[2]);
        if (!fields[3].isEmpty())
            child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        child<QPushButton>(&editor, "cmdOk")->click();
        if (message.isEmpty()) {
            QCOMPARE(m_env->prompts.messageCount(), 0);
            QCOMPARE(editor.result(), int(QDialog::Accepted));
            QCOMPARE(editor.savedContactnr(), 2);
            QVERIFY(bookText().contains(QStringLiteral("Person|2|%1|").arg(fields[0].trimmed())));
            return;
        }
        QCOMPARE(m_env->prompts.messageCount(), 1);
        QCOMPARE(m_env->prompts.lastMessage(), message);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.savedContactnr(), 0);
        QCOMPARE(bookText(), before);
        QCOMPARE(child<QLineEdit>(&editor, "txtFirstname")->text(), fields[0]);
        QCOMPARE(child<QListWidget>(&editor, "lvwPhone")->count(), int(edit) + int(!fields[3].isEmpty()));
        QVERIFY(m_host.calls.isEmpty());

        // Without the trigger the same OK saves what the book refused; the fields stay refused.
        rawSql("DROP TRIGGER refuse");
        child<QPushButton>(&editor, "cmdOk")->click();
        QCOMPARE(editor.result(), int(fields[3].isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    void addSavesAndShowsThePerson()
    {
        rawSql("INSERT INTO Person(Contactnr, Firstname) VALUES(1, 'Existing')");
        searchState().condition = QStringLiteral("WHERE Firstname = 'x' ");

        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        answerDialogs(editor, {{" 0471 12 34 ", "home"}, {"+32 9 "}, {"anne@hotmail.com", "private"}});
        editor.show();
        QTest::keyClicks(child<QLineEdit>(&editor, "txtFirstname"), QStringLiteral("Anne"));
        QTest::keyClicks(child<QLineEdit>(&editor, "txtLastname"), QStringLiteral("O'Smith"));
        child<DateField>(&editor, "txtDateofbirth")->setText(QStringLiteral("05/03/1970"));
        child<QPlainTextEdit>(&editor, "txtAddress")->setPlainText(QStringLiteral("Main St 1\nGhent"));
        child<QPlainTextEdit>(&editor, "rtbNote")->setPlainText(QStringLiteral("see www.example.org"));
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        child<QAction>(&editor, "mnuPopupPhoneAdd")->trigger();
        child<QToolButton>(&editor, "cmdEmailAdd")->click();
        child<QPushButton>(&editor, "cmdOk")->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(m_host.calls, (QStringList{"search off", "fill", "select 2"}));
        QVERIFY(searchState().condition.isEmpty());
        QCOMPARE(bookText(),
                 QStringLiteral("Person|1|Existing||||\n"
                                "Person|2|Anne|O'Smith|1970-03-05|Main St 1\nGhent|see www.example.org\n"
                                "Phone|2|1|0471 12 34|home\n"
                                "Phone|2|2|+32 9|\n"
                                "Email|2|1|anne@hotmail.com|private\n"));
    }

    // An opened person's lists show their first row selected, and the buttons of
    // that row work at once (which are on is a rule of its own); an empty list has none.
    void editorListsStartSelected()
    {
        rawSql("INSERT INTO Person(Contactnr, Firstname) VALUES(1, 'Anne');"
               "INSERT INTO Phone VALUES(1, 1, '0471', 'home'); INSERT INTO Phone VALUES(1, 2, '02', '');"
               "INSERT INTO Email VALUES(1, 1, 'anne@example.org', '')");
        PersonEditor editor(PersonEditor::Mode::Edit, 1, &m_host);
        editor.show();
        QCOMPARE(child<QListWidget>(&editor, "lvwPhone")->selectedItems().size(), 1);
        QVERIFY(child<QToolButton>(&editor, "cmdEmailEdit")->isEnabled());
        child<QToolButton>(&editor, "cmdPhoneDown")->click();
        QCOMPARE(child<QListWidget>(&editor, "lvwPhone")->item(1)->text(), QStringLiteral("0471 (home)"));

        rawSql("DELETE FROM Email");
        PersonEditor noMail(PersonEditor::Mode::Edit, 1, &m_host);
        QVERIFY(child<QListWidget>(&noMail, "lvwEmail")->selectedItems().isEmpty());
        QVERIFY(!child<QToolButton>(&noMail, "cmdEmailEdit")->isEnabled());
    }

    // The entry dialog on its own: OK (and Enter) only with a value, the entry
    // appended at the end whichever row was selected, and selected.
    void entryDialogAdds_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QStringList>("typed"); // value, description
        QTest::addColumn<QString>("added");     // the new row; empty: OK stays off
        using S = QStringList;
        // clang-format off
        QTest::newRow("phone: blanks only") << Kind::Phone << S{"   ", ""} << QString();
        QTest::newRow("phone: blanks around") << Kind::Phone << S{"  0471  ", "  "} << "  0471  =0471|  0471  ";
        QTest::newRow("e-mail: one blank") << Kind::Email << S{" ", ""} << " =| ";
        QTest::newRow("description with parentheses") << Kind::Email << S{"a@b.c", "work (old)"} << "a@b.c (work (old))=a@b.c|a@b.c (work (old))";
        // clang-format on
    }
    void entryDialogAdds()
    {
        QFETCH(Kind, kind);
        QFETCH(QStringList, typed);
        QFETCH(QString, added);
        QListWidget list;
        fillList(list, QStringLiteral("second"), QStringLiteral("second"), 0);
        int controls = 0;
        EntryDialog dialog(kind, EntryDialog::Mode::Add, false, &list, [&] { ++controls; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.descriptionField()->setText(typed[1]);
        QTest::keyClicks(dialog.valueField(), typed[0]);
        QCOMPARE(dialog.okButton()->isEnabled(), !added.isEmpty());
        QTest::keyClick(dialog.valueField(), Qt::Key_Return);
        if (added.isEmpty()) {
            QCOMPARE(list.count(), 2);
            QVERIFY(dialog.isVisible());
            // A digit enables OK; deleting it all again disables it.
            QTest::keyClicks(dialog.valueField(), QStringLiteral("5"));
            QVERIFY(dialog.okButton()->isEnabled());
            dialog.valueField()->clear();
            QVERIFY(!dialog.okButton()->isEnabled());
            return;
        }
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(list.count(), 3);
        QCOMPARE(row(list, 2), added);
        QVERIFY(list.currentRow() == 2 && list.item(2)->isSelected());
        QCOMPARE(controls, 1);
    }

    // Editing shows the value and the description cut from the row text, and rewrites
    // only the selected row.
    void entryDialogEdits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("descriptions"); // shown, then typed (none: unchanged)
        QTest::addColumn<QString>("row");
        using S = QStringList;
        // clang-format off
        QTest::newRow("parenthesised description unchanged") << "123 (work (old))" << S{"work (old)"} << "123 (work (old))=123|123 (work (old))";
        QTest::newRow("description removed") << "123 (home)" << S{"home", ""} << "123=123|123";
        QTest::newRow("text with blanks around") << "  123  " << S{""} << "123=123|123";
        // clang-format on
    }
    void entryDialogEdits()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, descriptions);
        QListWidget list;
        fillList(list, text, QStringLiteral("123"), 1);
        EntryDialog dialog(Kind::Phone, EntryDialog::Mode::Edit, true, &list, {});
        QCOMPARE(dialog.valueField()->text(), QStringLiteral("123"));
        QCOMPARE(dialog.descriptionField()->text(), descriptions[0]);
        QVERIFY(dialog.okButton()->isEnabled());
        if (descriptions.size() > 1)
            dialog.descriptionField()->setText(descriptions[1]);
        dialog.okButton()->click();
        QCOMPARE(list.count(), 2);
        QTEST(row(list, 1), "row");
        QCOMPARE(row(list, 0), QStringLiteral("other=other|other"));
    }
};

QTEST_MAIN(TestPersonEditor)
#include "tst_personeditor.moc"
