#include "TestEnv.h"

#include "editor/PersonStore.h"
#include "editor/ui/DateField.h"
#include "editor/ui/EntryDialog.h"
#include "editor/ui/PersonCommands.h"
#include "editor/ui/PersonEditor.h"
#include "mainwindow/PersonKey.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

using namespace velmora;

namespace {

// The main window as the editor sees it: records what it is asked to do.
class FakeHost : public ListHost {
public:
    void fillPersonList() override { calls << QStringLiteral("fill"); }
    void setSearchMode(bool on) override
    {
        mode = on;
        calls << (on ? QStringLiteral("search on") : QStringLiteral("search off"));
    }
    bool searchMode() const override { return mode; }
    void selectPerson(int contactnr) override { calls << QStringLiteral("select %1").arg(contactnr); }
    void hideDetails() override { calls << QStringLiteral("hide details"); }
    QStringList calls;
    bool mode = true;
};

// Answers entry dialogs without a modal loop: each queued answer fills the
// dialog's two fields and presses OK (or Cancel when value is null).
struct DialogScript {
    struct Step {
        QString value;
        QString description;
        bool ok = true;
    };
    QList<Step> steps;
    QStringList opened;    // object names of the dialogs shown
    QStringList prefilled; // "value|description" the dialog showed when it opened

    PersonEditor::DialogRunner runner()
    {
        return [this](EntryDialog &dialog) {
            opened << dialog.objectName();
            prefilled << dialog.valueField()->text() + QLatin1Char('|') + dialog.descriptionField()->text();
            if (steps.isEmpty())
                return;
            const Step step = steps.takeFirst();
            if (!step.ok) {
                dialog.valueField()->setText(step.value);
                dialog.reject();
                return;
            }
            dialog.valueField()->setText(step.value);
            dialog.descriptionField()->setText(step.description);
            dialog.okButton()->click();
        };
    }
};

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qWarning() << "missing" << name;
    return c;
}

QAction *action(QWidget *w, const char *name)
{
    return child<QAction>(w, name);
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

QStringList rowTexts(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + QLatin1Char('=') +
                   list->item(i)->data(EntryDialog::ValueRole).toString();
    return out;
}

void doubleClick(QListWidget *list, const QPoint &pos = QPoint(5, 5))
{
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, pos);
}

} // namespace

class TestPersonEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;
    FakeHost m_host;

    int addStored(const QString &first, const QString &last, const QList<ListEntry> &phones = {},
                  const QList<ListEntry> &emails = {}, const QString &date = QStringLiteral("Null"))
    {
        PersonDraft p;
        p.firstName = first;
        p.lastName = last;
        p.phones = phones;
        p.emails = emails;
        p.dateOfBirth = date;
        int nr = 0;
        PersonStore::addPerson(p, nr);
        return nr;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        saveSetting(QStringLiteral("List"), QStringLiteral("First name Last name"));
        saveSetting(QStringLiteral("Font Size"), QStringLiteral("8"));
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        m_env->prompts.clear();
        m_host = FakeHost();
        searchState() = SearchState();
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // ---- the window as it opens ----

    void controlsAndCaptions_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("add window") << false;
        QTest::newRow("edit window") << true;
    }
    void controlsAndCaptions()
    {
        QFETCH(bool, edit);
        const int nr = edit ? addStored(QStringLiteral("A"), QStringLiteral("B")) : 0;
        PersonEditor editor(edit ? PersonEditor::Mode::Edit : PersonEditor::Mode::Add, nr, &m_host);
        QCOMPARE(editor.objectName(),
                 edit ? QStringLiteral("frmContactEdit") : QStringLiteral("frmContactAdd"));
        QCOMPARE(editor.windowTitle(), edit ? QStringLiteral("Edit") : QStringLiteral("Add"));
        QCOMPARE(child<QLineEdit>(&editor, "txtFirstname")->maxLength(), 50);
        QCOMPARE(child<QLineEdit>(&editor, "txtLastname")->maxLength(), 50);
        // OK is no default button: Enter in a field must not save.
        QVERIFY(!child<QPushButton>(&editor, "cmdOk")->autoDefault());
        // Only Add is enabled at first, in both lists.
        for (const char *list : {"Phone", "Email"}) {
            for (const char *command : {"Add", "Edit", "Remove", "Up", "Down"}) {
                const QString name =
                    QStringLiteral("cmd%1%2").arg(QLatin1String(list), QLatin1String(command));
                auto *b = editor.findChild<QToolButton *>(name);
                QVERIFY2(b, qPrintable(name));
                QCOMPARE(b->isEnabled(), QLatin1String(command) == QLatin1String("Add"));
            }
        }
        // Captions joined from translated words and fixed pieces.
        QStringList captions;
        for (QAction *a : child<QMenu>(&editor, "mnuPopupPhone")->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, (QStringList{"Add...", "Edit...", "Remove", "-", "Move up", "Move down", "-",
                                        "Copy: Number", "Copy: Number + Description"}));
    }

    void dateMaskFollowsTheFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("label");
        QTest::newRow("day first") << "dd/mm/yyyy"
                                   << "__/__/____"
                                   << "(dd/mm/yyyy)";
        QTest::newRow("month first") << "mm/dd/yyyy"
                                     << "__/__/____"
                                     << "(mm/dd/yyyy)";
        QTest::newRow("year first") << "yyyy/mm/dd"
                                    << "____/__/__"
                                    << "(yyyy/mm/dd)";
        QTest::newRow("unknown format") << "dd.mm.yyyy"
                                        << "__/__/____"
                                        << "(dd/mm/yyyy)";
    }
    void dateMaskFollowsTheFormat()
    {
        QFETCH(QString, format);
        saveSetting(QStringLiteral("Date"), format);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        auto *date = child<DateField>(&editor, "txtDateofbirth");
        QTEST(date->displayText(), "shown");
        QCOMPARE(date->fieldText(), QStringLiteral("//"));
        QTEST(child<QLabel>(&editor, "lblDateFormat")->text(), "label");
    }

    void typingAndPastingADate_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("sql");
        QTest::newRow("typed digits") << "dd/mm/yyyy"
                                      << "31121970"
                                      << ""
                                      << "31/12/1970"
                                      << "#12/31/1970#";
        QTest::newRow("typed with slashes") << "dd/mm/yyyy"
                                            << "31/12/1970"
                                            << ""
                                            << "31/12/1970"
                                            << "#12/31/1970#";
        QTest::newRow("letters are refused") << "dd/mm/yyyy"
                                             << "3x1a12b1970"
                                             << ""
                                             << "31/12/1970"
                                             << "#12/31/1970#";
        QTest::newRow("pasted with slashes") << "dd/mm/yyyy"
                                             << ""
                                             << "29/02/2000"
                                             << "29/02/2000"
                                             << "#02/29/2000#";
        QTest::newRow("pasted digits") << "yyyy/mm/dd"
                                       << ""
                                       << "19701231"
                                       << "1970/12/31"
                                       << "#12/31/1970#";
        QTest::newRow("day only") << "dd/mm/yyyy"
                                  << "1"
                                  << ""
                                  << "1//"
                                  << "";
        QTest::newRow("nothing") << "mm/dd/yyyy"
                                 << ""
                                 << ""
                                 << "//"
                                 << "Null";
    }
    void typingAndPastingADate()
    {
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        saveSetting(QStringLiteral("Date"), format);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto *date = child<DateField>(&editor, "txtDateofbirth");
        date->setFocus();
        date->setCursorPosition(0);
        if (!typed.isEmpty())
            QTest::keyClicks(date, typed);
        if (!pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(pasted);
            date->paste();
        }
        QTEST(date->fieldText(), "field");
        QFETCH(QString, sql);
        // The date reaches the book as the literal shown, or not at all.
        child<QLineEdit>(&editor, "txtLastname")->setText(QStringLiteral("Date"));
        editor.save();
        if (sql.isEmpty()) {
            QCOMPARE(m_env->prompts.lastMessage(), QStringLiteral("Date of birth is invalid!"));
            QVERIFY(editor.isVisible());
        } else {
            QCOMPARE(m_env->prompts.messageCount(), 0);
            PersonDraft p;
            QDate stored;
            bool found = false;
            PersonStore::loadPerson(editor.savedContactnr(), p, stored, found);
            QCOMPARE(p.dateOfBirth, sql);
        }
    }

    void nameOrderPlacesTheFields_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<bool>("lastLeft");
        QTest::newRow("first name first") << "First name Last name" << false;
        QTest::newRow("last name first") << "Last name First name" << true;
        QTest::newRow("unknown order keeps the design") << "" << false;
    }
    void nameOrderPlacesTheFields()
    {
        QFETCH(QString, order);
        QFETCH(bool, lastLeft);
        saveSetting(QStringLiteral("List"), order);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto *first = child<QGroupBox>(&editor, "fraFirstName");
        auto *last = child<QGroupBox>(&editor, "fraLastname");
        QCOMPARE(last->x() < first->x(), lastLeft);
        auto *firstName = child<QLineEdit>(&editor, "txtFirstname");
        auto *lastName = child<QLineEdit>(&editor, "txtLastname");
        QCOMPARE(QApplication::focusWidget(), lastLeft ? lastName : firstName);
        // Tab walks the fields in order down to OK and Cancel.
        QStringList walk;
        for (int i = 0; i < 19; ++i) {
            walk << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QStringList expected{lastLeft ? "txtLastname" : "txtFirstname",
                             lastLeft ? "txtFirstname" : "txtLastname",
                             "txtDateofbirth",
                             "txtAddress",
                             "lvwPhone",
                             "cmdPhoneAdd"};
        QCOMPARE(walk.mid(0, 6), expected);
        QVERIFY(walk.contains(QStringLiteral("lvwEmail")));
        QVERIFY(walk.indexOf(QStringLiteral("rtbNote")) < walk.indexOf(QStringLiteral("cmdOk")));
        QVERIFY(walk.indexOf(QStringLiteral("cmdOk")) < walk.indexOf(QStringLiteral("cmdCancel")));
    }

    // ---- OK ----

    void validation_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<QString>("title");
        const QString names = QStringLiteral("Either first name or last name has to be filled in!");
        const QString date = QStringLiteral("Date of birth is invalid!");
        QTest::newRow("both names empty") << ""
                                          << ""
                                          << "" << names << "Error!";
        QTest::newRow("names before the date") << ""
                                               << ""
                                               << "31/02/2000" << names << "Error!";
        QTest::newRow("last name only") << ""
                                        << "Smith"
                                        << ""
                                        << ""
                                        << "";
        QTest::newRow("blanks count as a name") << "   "
                                                << ""
                                                << ""
                                                << ""
                                                << "";
        QTest::newRow("invalid date") << "Anne"
                                      << ""
                                      << "31/02/2000" << date << "Error";
        QTest::newRow("empty day section") << "Anne"
                                           << ""
                                           << "__/02/2000" << date << "Error";
        QTest::newRow("empty year section") << "Anne"
                                            << ""
                                            << "01/02/____" << date << "Error";
        QTest::newRow("short year") << "Anne"
                                    << ""
                                    << "01/02/99__" << date << "Error";
        QTest::newRow("single day digit") << "Anne"
                                          << ""
                                          << "1_/02/2000"
                                          << ""
                                          << "";
    }
    void validation()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, date);
        QFETCH(QString, message);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        child<QLineEdit>(&editor, "txtFirstname")->setText(first);
        child<QLineEdit>(&editor, "txtLastname")->setText(last);
        if (!date.isEmpty())
            child<DateField>(&editor, "txtDateofbirth")->setText(date);
        const QString before = bookText();
        child<QPushButton>(&editor, "cmdOk")->click();
        if (message.isEmpty()) {
            QCOMPARE(m_env->prompts.messageCount(), 0);
            QCOMPARE(editor.result(), int(QDialog::Accepted));
            QCOMPARE(editor.savedContactnr(), 1);
            Recordset rs;
            openRecordset(QStringLiteral("SELECT * FROM Person"), rs);
            QCOMPARE(rs.text(QStringLiteral("Firstname")), first.trimmed());
        } else {
            QCOMPARE(m_env->prompts.messageCount(), 1);
            const auto &shown = m_env->prompts.shown().front();
            QCOMPARE(shown.text, message);
            QTEST(shown.title, "title");
            QCOMPARE(shown.icon, Icon::Exclamation);
            QCOMPARE(shown.buttons, Buttons::Ok);
            QVERIFY(editor.isVisible());
            QCOMPARE(editor.savedContactnr(), 0);
            QCOMPARE(bookText(), before);
            QCOMPARE(child<QLineEdit>(&editor, "txtFirstname")->text(), first);
            QVERIFY(m_host.calls.isEmpty());
        }
    }

    void addSavesAndShowsThePerson()
    {
        addStored(QStringLiteral("Existing"), QStringLiteral("One"));
        searchState().condition = QStringLiteral("WHERE Firstname = 'x' ");
        searchState().byPhone = true;
        m_host.mode = true;

        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        DialogScript script;
        script.steps = {{QStringLiteral(" 0471 12 34 "), QStringLiteral("home")},
                        {QStringLiteral("+32 9 "), QString()},
                        {QStringLiteral("anne@hotmail.com"), QStringLiteral("private")}};
        editor.setDialogRunner(script.runner());
        editor.show();
        QTest::keyClicks(child<QLineEdit>(&editor, "txtFirstname"), QStringLiteral("Anne"));
        QTest::keyClicks(child<QLineEdit>(&editor, "txtLastname"), QStringLiteral("O'Smith"));
        child<DateField>(&editor, "txtDateofbirth")->setText(QStringLiteral("05/03/1970"));
        child<QPlainTextEdit>(&editor, "txtAddress")->setPlainText(QStringLiteral("Main St 1\nGhent"));
        child<QPlainTextEdit>(&editor, "rtbNote")->setPlainText(QStringLiteral("see www.example.org"));
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        action(&editor, "mnuPopupPhoneAdd")->trigger();
        child<QToolButton>(&editor, "cmdEmailAdd")->click();
        QCOMPARE(script.opened,
                 (QStringList{"frmContactAddPhoneAdd", "frmContactAddPhoneAdd", "frmContactAddEmailAdd"}));

        child<QPushButton>(&editor, "cmdOk")->click();
        QCOMPARE(m_env->prompts.messageCount(), 0);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.savedContactnr(), 2);
        QCOMPARE(m_host.calls, (QStringList{"search off", "fill", "select 2"}));
        QVERIFY(searchState().condition.isEmpty());
        QCOMPARE(bookText(),
                 QStringLiteral("Person|1|Existing|One|||\n"
                                "Person|2|Anne|O'Smith|1970-03-05|Main St 1\nGhent|see www.example.org\n"
                                "Phone|2|1|0471 12 34|home\n"
                                "Phone|2|2|+32 9|\n"
                                "Email|2|1|anne@hotmail.com|private\n"));
    }

    void editLoadsAndSavesThePerson()
    {
        saveSetting(QStringLiteral("Date"), QStringLiteral("yyyy/mm/dd"));
        PersonDraft p;
        p.firstName = QStringLiteral("Anne");
        p.lastName = QStringLiteral("Smith");
        p.dateOfBirth = QStringLiteral("#3/5/1970#");
        p.address = QStringLiteral("Line 1\r\nLine 2");
        p.note = QStringLiteral("note\r\nwith CR LF");
        p.phones = {{QStringLiteral("111 (home (old))"), QStringLiteral("111")},
                    {QStringLiteral("222"), QStringLiteral("222")},
                    {QStringLiteral("333 (work)"), QStringLiteral("333")}};
        p.emails = {{QStringLiteral("a@b.c"), QStringLiteral("a@b.c")}};
        int nr = 0;
        QVERIFY(!PersonStore::addPerson(p, nr).failed());
        const QString stored = bookText();

        {
            PersonEditor editor(PersonEditor::Mode::Edit, nr, &m_host);
            QVERIFY(editor.isLoaded());
            QCOMPARE(child<QLineEdit>(&editor, "txtFirstname")->text(), QStringLiteral("Anne"));
            QCOMPARE(child<DateField>(&editor, "txtDateofbirth")->text(), QStringLiteral("1970/03/05"));
            auto *phones = child<QListWidget>(&editor, "lvwPhone");
            QCOMPARE(rowTexts(phones), (QStringList{"111 (home (old))=111", "222=222", "333 (work)=333"}));
            QCOMPARE(phones->item(0)->toolTip(), QStringLiteral("111 (home (old))"));
            // The load runs no button rule: Edit waits for the list's first event.
            QVERIFY(!child<QToolButton>(&editor, "cmdPhoneEdit")->isEnabled());
            QCOMPARE(phones->currentRow(), 0);
            // Unchanged OK writes the same book (line breaks included).
            child<QPushButton>(&editor, "cmdOk")->click();
            QCOMPARE(m_env->prompts.messageCount(), 0);
            QCOMPARE(bookText(), stored);
            QCOMPARE(m_host.calls, (QStringList{"search off", "fill", QStringLiteral("select %1").arg(nr)}));
        }
        {
            PersonEditor editor(PersonEditor::Mode::Edit, nr, &m_host);
            DialogScript script;
            script.steps = {{QStringLiteral("222"), QStringLiteral("mobile")}};
            editor.setDialogRunner(script.runner());
            auto *phones = child<QListWidget>(&editor, "lvwPhone");
            // The third phone to the top, the second given a description.
            phones->setCurrentRow(2);
            child<QToolButton>(&editor, "cmdPhoneUp")->click();
            child<QToolButton>(&editor, "cmdPhoneUp")->click();
            phones->setCurrentRow(2);
            child<QToolButton>(&editor, "cmdPhoneEdit")->click();
            QCOMPARE(script.opened, QStringList{"frmContactEditPhoneEdit"});
            child<QLineEdit>(&editor, "txtLastname")->setText(QStringLiteral("Smith-Jones"));
            child<QPushButton>(&editor, "cmdOk")->click();
            Recordset rs;
            openRecordset(QStringLiteral("SELECT [Order], Number, Description FROM Phone ORDER BY [Order]"),
                          rs);
            QStringList rows;
            for (; !rs.eof(); rs.moveNext())
                rows << rs.text(QStringLiteral("Order")) + QLatin1Char(' ') +
                            rs.text(QStringLiteral("Number")) + QLatin1Char(' ') +
                            rs.text(QStringLiteral("Description"));
            QCOMPARE(rows, (QStringList{"1 333 work", "2 111 home (old)", "3 222 mobile"}));
        }
    }

    void editOfAMissingPerson()
    {
        PersonEditor editor(PersonEditor::Mode::Edit, 42, &m_host);
        QVERIFY(!editor.isLoaded());
        QVERIFY(!PersonCommands::editPerson(m_host, 42, nullptr));
        QCOMPARE(m_env->prompts.messageCount(), 1);
        QCOMPARE(m_host.calls, (QStringList{"hide details", "fill"}));
    }

    void failedSaveKeepsTheEditorOpen_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("add") << false;
        QTest::newRow("edit") << true;
    }
    void failedSaveKeepsTheEditorOpen()
    {
        QFETCH(bool, edit);
        const int nr = addStored(QStringLiteral("Old"), QStringLiteral("Name"),
                                 {{QStringLiteral("1"), QStringLiteral("1")}});
        rawSql("CREATE TRIGGER refuse BEFORE INSERT ON Phone WHEN NEW.Number = 'bad' "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = bookText();
        PersonEditor editor(edit ? PersonEditor::Mode::Edit : PersonEditor::Mode::Add, nr, &m_host);
        DialogScript script;
        script.steps = {{QStringLiteral("bad"), QString()}};
        editor.setDialogRunner(script.runner());
        editor.show();
        child<QLineEdit>(&editor, "txtFirstname")->setText(QStringLiteral("New"));
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        child<QPushButton>(&editor, "cmdOk")->click();
        QCOMPARE(m_env->prompts.messageCount(), 1);
        QVERIFY(m_env->prompts.lastMessage().startsWith(QStringLiteral("The person could not be saved:")));
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QCOMPARE(bookText(), before);
        QCOMPARE(child<QLineEdit>(&editor, "txtFirstname")->text(), QStringLiteral("New"));
        QCOMPARE(child<QListWidget>(&editor, "lvwPhone")->count(), edit ? 2 : 1);
        QVERIFY(m_host.calls.isEmpty());

        // Once the cause is gone, the same OK saves.
        rawSql("DROP TRIGGER refuse");
        child<QPushButton>(&editor, "cmdOk")->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
    }

    void fullBook()
    {
        rawSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
               "INSERT INTO Person(Contactnr, Firstname, Lastname) SELECT i, 'F', 'L' FROM n");
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        child<QLineEdit>(&editor, "txtFirstname")->setText(QStringLiteral("One too many"));
        child<QPushButton>(&editor, "cmdOk")->click();
        QCOMPARE(m_env->prompts.messageCount(), 1);
        QVERIFY(m_env->prompts.lastMessage().contains(QStringLiteral("32767")));
        QVERIFY(editor.isVisible());
        Recordset rs;
        openRecordset(QStringLiteral("SELECT COUNT(*) AS n FROM Person"), rs);
        QCOMPARE(rs.field(QStringLiteral("n")).toInt(), 32767);
    }

    void cancelWritesNothing()
    {
        const QString before = bookText();
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        DialogScript script;
        script.steps = {{QStringLiteral("1"), QString()}, {QStringLiteral("2"), QString()}};
        editor.setDialogRunner(script.runner());
        editor.show();
        child<QLineEdit>(&editor, "txtFirstname")->setText(QStringLiteral("Anne"));
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        QTest::keyClick(&editor, Qt::Key_Escape);
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QVERIFY(!editor.isVisible());
        QCOMPARE(bookText(), before);
        QVERIFY(m_host.calls.isEmpty());
    }

    void enterInAFieldDoesNotSave()
    {
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto *first = child<QLineEdit>(&editor, "txtFirstname");
        first->setFocus();
        QTest::keyClicks(first, QStringLiteral("Anne"));
        QTest::keyClick(first, Qt::Key_Return);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.savedContactnr(), 0);
    }

    // ---- special characters through the whole editor ----

    void textsRoundTrip_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("phone");
        QTest::newRow("apostrophes and quotes") << "O'Brien"
                                                << "\"Mac\" D'Arcy"
                                                << "1 'Main' St"
                                                << "it's \"x\""
                                                << "0'1";
        QTest::newRow("percent and underscore") << "100%"
                                                << "a_b"
                                                << "%_"
                                                << "50%_off"
                                                << "1%_";
        QTest::newRow("accents") << "Zoë"
                                 << "Ångström"
                                 << "Rue de l'Église"
                                 << "crème brûlée"
                                 << "+33 (0)1";
        QTest::newRow("non-Latin") << "Алексей"
                                   << "山田"
                                   << "القاهرة"
                                   << "ελληνικά 🎂"
                                   << "٠١٢";
        QTest::newRow("non-breaking space") << "Anne"
                                            << "Smith"
                                            << "a\u00a0b"
                                            << "c\u00a0d"
                                            << "1\u00a02";
        QTest::newRow("long note")
            << "Long"
            << "Note"
            << "x" << QStringLiteral("Line with www.example.org and 'quotes'\n").repeated(2500) << "1";
        QTest::newRow("blanks trimmed") << "  Anne "
                                        << " Smith  "
                                        << "  a  "
                                        << "  b  "
                                        << "  12  ";
    }
    void textsRoundTrip()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, address);
        QFETCH(QString, note);
        QFETCH(QString, phone);
        int nr = 0;
        {
            PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
            DialogScript script;
            script.steps = {{phone, QStringLiteral("d'escr (x)")}};
            editor.setDialogRunner(script.runner());
            child<QLineEdit>(&editor, "txtFirstname")->setText(first);
            child<QLineEdit>(&editor, "txtLastname")->setText(last);
            child<QPlainTextEdit>(&editor, "txtAddress")->setPlainText(address);
            child<QPlainTextEdit>(&editor, "rtbNote")->setPlainText(note);
            child<QToolButton>(&editor, "cmdPhoneAdd")->click();
            editor.save();
            QCOMPARE(m_env->prompts.messageCount(), 0);
            nr = editor.savedContactnr();
            QVERIFY(nr > 0);
        }
        PersonEditor editor(PersonEditor::Mode::Edit, nr, &m_host);
        QCOMPARE(child<QLineEdit>(&editor, "txtFirstname")->text(), trimBlanks(first));
        QCOMPARE(child<QLineEdit>(&editor, "txtLastname")->text(), trimBlanks(last));
        QCOMPARE(child<QPlainTextEdit>(&editor, "txtAddress")->toPlainText().size(),
                 trimBlanks(address).size());
        QCOMPARE(
            editor.phoneEntries(),
            (QList<ListEntry>{{trimBlanks(phone) + QStringLiteral(" (d'escr (x))"), trimBlanks(phone)}}));
        Recordset rs;
        openRecordset(QStringLiteral("SELECT * FROM Person WHERE Contactnr = %1").arg(nr), rs);
        QCOMPARE(rs.text(QStringLiteral("Address")), trimBlanks(address));
        QCOMPARE(rs.text(QStringLiteral("Note")), trimBlanks(note));
    }

    // ---- the lists ----

    void listButtonsFollowTheSelection()
    {
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        DialogScript script;
        script.steps = {{QStringLiteral("111"), QString()},
                        {QStringLiteral("222"), QStringLiteral("work")},
                        {QStringLiteral("333"), QString()}};
        editor.setDialogRunner(script.runner());
        auto enabled = [&](const char *name) {
            QToolButton *b = child<QToolButton>(&editor, name);
            return b->isEnabled();
        };
        QVERIFY(!enabled("cmdPhoneEdit"));
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        QVERIFY(enabled("cmdPhoneEdit"));
        QVERIFY(enabled("cmdPhoneRemove"));
        QVERIFY(!enabled("cmdPhoneUp"));
        QVERIFY(!enabled("cmdPhoneDown"));
        QVERIFY(action(&editor, "mnuPopupPhoneCopy")->isEnabled());
        QVERIFY(!action(&editor, "mnuPopupPhoneCopy2")->isEnabled());

        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        auto *phones = child<QListWidget>(&editor, "lvwPhone");
        QCOMPARE(phones->currentRow(), 1);
        QVERIFY(enabled("cmdPhoneUp"));
        QVERIFY(!enabled("cmdPhoneDown"));
        QVERIFY(action(&editor, "mnuPopupPhoneCopy2")->isEnabled());

        // A new entry goes to the end, whichever entry is selected.
        phones->setCurrentRow(0);
        child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        QCOMPARE(rowTexts(phones), (QStringList{"111=111", "222 (work)=222", "333=333"}));
        phones->setCurrentRow(1);
        QVERIFY(enabled("cmdPhoneUp"));
        QVERIFY(enabled("cmdPhoneDown"));

        // Remove takes the selected entry and keeps a selection.
        child<QToolButton>(&editor, "cmdPhoneRemove")->click();
        QCOMPARE(rowTexts(phones), (QStringList{"111=111", "333=333"}));
        QCOMPARE(phones->currentRow(), 1);
        action(&editor, "mnuPopupPhoneRemove")->trigger();
        action(&editor, "mnuPopupPhoneRemove")->trigger();
        QCOMPARE(phones->count(), 0);
        QVERIFY(!enabled("cmdPhoneEdit"));
        QVERIFY(!enabled("cmdPhoneRemove"));
        QVERIFY(!action(&editor, "mnuPopupPhoneCopy")->isEnabled());
        QVERIFY(enabled("cmdPhoneAdd"));
        QVERIFY(action(&editor, "mnuPopupPhoneAdd")->isEnabled());
    }

    void movingEntries_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("after");
        QTest::newRow("first down") << 0 << 1 << QStringList{"2 (b)=2", "1=1", "3=3"} << 1;
        QTest::newRow("second up") << 1 << -1 << QStringList{"2 (b)=2", "1=1", "3=3"} << 0;
        QTest::newRow("last up: the first keeps its blanks")
            << 2 << -1 << QStringList{" 1 =1", "3=3", "2 (b)=2"} << 1;
    }
    void movingEntries()
    {
        QFETCH(int, selected);
        QFETCH(int, step);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        DialogScript script;
        script.steps = {{QStringLiteral(" 1 "), QString()},
                        {QStringLiteral("2"), QStringLiteral("b")},
                        {QStringLiteral("3"), QString()}};
        editor.setDialogRunner(script.runner());
        for (int i = 0; i < 3; ++i)
            child<QToolButton>(&editor, "cmdPhoneAdd")->click();
        auto *phones = child<QListWidget>(&editor, "lvwPhone");
        phones->setCurrentRow(selected);
        action(&editor, step < 0 ? "mnuPopupPhoneUp" : "mnuPopupPhoneDown")->trigger();
        QTEST(rowTexts(phones), "rows");
        QTEST(phones->currentRow(), "after");
        QCOMPARE(phones->item(phones->currentRow())->toolTip(), phones->item(phones->currentRow())->text());
    }

    void listMouseAndKeys()
    {
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        DialogScript script;
        editor.setDialogRunner(script.runner());
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto *emails = child<QListWidget>(&editor, "lvwEmail");

        // Double click on the empty list adds.
        script.steps = {{QStringLiteral("anne@yahoo.com"), QStringLiteral("msn chat")}};
        doubleClick(emails);
        QCOMPARE(script.opened, QStringList{"frmContactAddEmailAdd"});
        QCOMPARE(emails->count(), 1);
        QCOMPARE(QApplication::focusWidget(), emails);

        // Double click with entries edits the selected one.
        script.steps = {{QStringLiteral("anne@yahoo.com"), QString()}};
        doubleClick(emails, emails->visualItemRect(emails->item(0)).center());
        QCOMPARE(script.opened.last(), QStringLiteral("frmContactAddEmailEdit"));
        QCOMPARE(script.prefilled.last(), QStringLiteral("anne@yahoo.com|msn chat"));
        QCOMPARE(rowTexts(emails), QStringList{"anne@yahoo.com=anne@yahoo.com"});

        // Enter edits; a cancelled edit changes nothing.
        script.steps = {{QStringLiteral("changed@x"), QString(), false}};
        emails->setFocus();
        QTest::keyClick(emails, Qt::Key_Return);
        QCOMPARE(script.opened.size(), 3);
        QCOMPARE(rowTexts(emails), QStringList{"anne@yahoo.com=anne@yahoo.com"});

        // Ctrl+C copies the bare address.
        QTest::keyClick(emails, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("anne@yahoo.com"));

        // Enter on the empty phone list does nothing.
        auto *phones = child<QListWidget>(&editor, "lvwPhone");
        phones->setFocus();
        QTest::keyClick(phones, Qt::Key_Return);
        QCOMPARE(script.opened.size(), 3);
    }

    void emailCommands()
    {
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        DialogScript script;
        script.steps = {{QStringLiteral("bob@example.org"), QStringLiteral("work")},
                        {QStringLiteral("anne.smith@yahoo.co.uk"), QString()},
                        {QStringLiteral("carl@hotmail.com"), QString()}};
        editor.setDialogRunner(script.runner());
        for (int i = 0; i < 3; ++i)
            child<QToolButton>(&editor, "cmdEmailAdd")->click();
        auto *emails = child<QListWidget>(&editor, "lvwEmail");

        emails->setCurrentRow(0);
        QVERIFY(action(&editor, "mnuPopupEmailSend")->isEnabled());
        QVERIFY(!action(&editor, "mnuPopupEmailWebsite")->isEnabled());
        action(&editor, "mnuPopupEmailSend")->trigger();
        action(&editor, "mnuPopupEmailCopy2")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("bob@example.org (work)"));
        action(&editor, "mnuPopupEmailCopy")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("bob@example.org"));

        emails->setCurrentRow(1);
        QVERIFY(action(&editor, "mnuPopupEmailWebsite")->isEnabled());
        action(&editor, "mnuPopupEmailWebsite")->trigger();
        emails->setCurrentRow(2);
        action(&editor, "mnuPopupEmailWebsite")->trigger();

        QCOMPARE(m_env->launcher.urls.size(), size_t(3));
        QCOMPARE(m_env->launcher.urls[0], QStringLiteral("mailto:bob@example.org"));
        QVERIFY(m_env->launcher.urls[1].endsWith(QStringLiteral("/anne.smith")));
        QVERIFY(m_env->launcher.urls[2].endsWith(QStringLiteral("/carl@hotmail.com")));

        // Removing every address disables Send and Website.
        for (int i = 0; i < 3; ++i)
            child<QToolButton>(&editor, "cmdEmailRemove")->click();
        QVERIFY(!action(&editor, "mnuPopupEmailSend")->isEnabled());
        QVERIFY(!action(&editor, "mnuPopupEmailWebsite")->isEnabled());
    }

    // ---- field pop-up menus ----

    void fieldMenus_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("menu");
        QTest::newRow("first name") << "txtFirstname"
                                    << "mnuPopupFirstname";
        QTest::newRow("last name") << "txtLastname"
                                   << "mnuPopupLastname";
        QTest::newRow("address") << "txtAddress"
                                 << "mnuPopupAddress";
        QTest::newRow("note") << "rtbNote"
                              << "mnuPopupNote";
    }
    void fieldMenus()
    {
        QFETCH(QString, field);
        QFETCH(QString, menu);
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QWidget *w = editor.findChild<QWidget *>(field);
        auto *line = qobject_cast<QLineEdit *>(w);
        auto *edit = qobject_cast<QPlainTextEdit *>(w);
        QMenu *m = editor.findChild<QMenu *>(menu);
        QAction *copy = editor.findChild<QAction *>(menu + QStringLiteral("Copy"));
        QAction *paste = editor.findChild<QAction *>(menu + QStringLiteral("Paste"));
        auto text = [&] { return line ? line->text() : edit->toPlainText(); };
        auto openMenu = [&] {
            emit w->customContextMenuRequested(QPoint(2, 2));
            QVERIFY(m->isVisible());
            m->close();
        };
        if (line)
            line->setText(QStringLiteral("Anne Smith"));
        else
            edit->setPlainText(QStringLiteral("Anne Smith"));

        // Nothing selected, clipboard empty: both disabled.
        QGuiApplication::clipboard()->clear();
        openMenu();
        QVERIFY(!copy->isEnabled());
        QVERIFY(!paste->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w);

        // "Smith" selected: Copy copies it, Paste replaces it.
        if (line) {
            line->setSelection(5, 5);
        } else {
            QTextCursor c = edit->textCursor();
            c.setPosition(5);
            c.setPosition(10, QTextCursor::KeepAnchor);
            edit->setTextCursor(c);
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        openMenu();
        QVERIFY(copy->isEnabled());
        QVERIFY(paste->isEnabled());
        copy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Smith"));
        QGuiApplication::clipboard()->setText(QStringLiteral("O'Brien"));
        paste->trigger();
        QCOMPARE(text(), QStringLiteral("Anne O'Brien"));
        // Paste at the caret.
        if (line)
            line->setCursorPosition(0);
        else
            edit->moveCursor(QTextCursor::Start);
        paste->trigger();
        QCOMPARE(text(), QStringLiteral("O'BrienAnne O'Brien"));
    }

    void pasteIntoAFullNameIsCut()
    {
        PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
        auto *first = child<QLineEdit>(&editor, "txtFirstname");
        first->setText(QStringLiteral("Anne"));
        first->setCursorPosition(0);
        QGuiApplication::clipboard()->setText(QString(60, QLatin1Char('x')));
        action(&editor, "mnuPopupFirstnamePaste")->trigger();
        QCOMPARE(first->text().size(), 50);
        QVERIFY(first->text().endsWith(QStringLiteral("Anne")));
    }

    // ---- the main window's commands ----

    void removeCommand()
    {
        const int nr = addStored(QStringLiteral("Anne"), QStringLiteral("Smith"),
                                 {{QStringLiteral("1"), QStringLiteral("1")}});
        m_env->prompts.queueAnswer(Answer::No);
        QVERIFY(!PersonCommands::removePerson(m_host, nr));
        QVERIFY(m_host.calls.isEmpty());
        m_env->prompts.queueAnswer(Answer::Yes);
        QVERIFY(PersonCommands::removePerson(m_host, nr));
        QCOMPARE(m_host.calls, (QStringList{"hide details", "fill"}));
        QCOMPARE(bookText(), QString());
    }

    // Pictures of the windows for a look by eye: set VELMORA_SNAPSHOTS to a
    // folder.
    void snapshots()
    {
        const QString folder = qEnvironmentVariable("VELMORA_SNAPSHOTS");
        if (folder.isEmpty())
            QSKIP("VELMORA_SNAPSHOTS not set");
        for (const char *size : {"8", "10"}) {
            saveSetting(QStringLiteral("Font Size"), QString::fromLatin1(size));
            saveSetting(QStringLiteral("List"), QStringLiteral("Last name First name"));
            PersonEditor editor(PersonEditor::Mode::Add, 0, &m_host);
            DialogScript script;
            script.steps = {{QStringLiteral("0471 12 34 56"), QStringLiteral("home")},
                            {QStringLiteral("09 123 45 67"), QString()},
                            {QStringLiteral("anne.smith@example.org"), QStringLiteral("work")}};
            editor.setDialogRunner(script.runner());
            child<QLineEdit>(&editor, "txtFirstname")->setText(QStringLiteral("Anne"));
            child<QLineEdit>(&editor, "txtLastname")->setText(QStringLiteral("O'Smith"));
            child<QPlainTextEdit>(&editor, "txtAddress")
                ->setPlainText(QStringLiteral("Main Street 1\n9000 Ghent"));
            child<QPlainTextEdit>(&editor, "rtbNote")->setPlainText(QStringLiteral("Met at www.example.org"));
            child<QToolButton>(&editor, "cmdPhoneAdd")->click();
            child<QToolButton>(&editor, "cmdPhoneAdd")->click();
            child<QToolButton>(&editor, "cmdEmailAdd")->click();
            editor.show();
            QVERIFY(QTest::qWaitForWindowExposed(&editor));
            editor.grab().save(folder + QStringLiteral("/editor-") + QLatin1String(size) +
                               QStringLiteral(".png"));
            for (auto [kind, mode] : {std::pair{EntryDialog::Kind::Phone, EntryDialog::Mode::Add},
                                      std::pair{EntryDialog::Kind::Email, EntryDialog::Mode::Edit}}) {
                auto *list =
                    child<QListWidget>(&editor, kind == EntryDialog::Kind::Phone ? "lvwPhone" : "lvwEmail");
                EntryDialog dialog(kind, mode, false, list, {}, &editor);
                dialog.valueField()->setText(QStringLiteral("+32 (0)9 123 45 67"));
                dialog.show();
                QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                dialog.grab().save(folder + QLatin1Char('/') + dialog.objectName() + QLatin1Char('-') +
                                   QLatin1String(size) + QStringLiteral(".png"));
            }
        }
    }
};

QTEST_MAIN(TestPersonEditor)
#include "tst_personeditor.moc"
