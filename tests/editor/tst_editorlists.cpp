#include "TestBook.h"
#include "TestEnv.h"

#include "editor/ui/PersonEditor.h"
#include "mainwindow/ui/ListHost.h"

#include <QAction>
#include <QListWidget>
#include <QToolButton>
#include <QtTest>

using namespace velmora;

namespace {

class QuietHost : public ListHost {
public:
    void fillPersonList() override {}
    void setSearchMode(bool) override {}
    bool searchMode() const override { return false; }
    void selectPerson(int) override {}
    void hideDetails() override {}
    int shownPerson() const override { return -1; }
    std::vector<int> listedPersons() const override { return {}; }
};

// Selects one row, as a click does.
void select(QListWidget *list, int row)
{
    list->clearSelection();
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
}

QStringList texts(const QListWidget *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

} // namespace

// The person editor's phone and e-mail lists: moving entries up and down,
// and the links of the e-mail list.
class TestEditorLists : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;
    QuietHost m_host;

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        for (const QString &sql :
             {test::person(1, "Anne", "Smith"), test::entry("Phone", 1, 0, "111"),
              test::entry("Phone", 1, 1, "222"), test::entry("Phone", 1, 2, "333"),
              test::entry("Email", 1, 0, "anne@example.org"), test::entry("Email", 1, 1, "anne@hotmail.com"),
              test::entry("Email", 1, 2, "anne.s@yahoo.com")})
            QVERIFY(!executeSql(sql));
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // Moving the first entry down gives the same list as moving the second
    // one up; the moved entry stays selected. Nothing moves past either end.
    void moveUpAndDown_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("command"); // a button, or a pop-up menu entry
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("selected");
        const QStringList phones{"222", "111", "333"};
        const QStringList emails{"anne@hotmail.com", "anne@example.org", "anne.s@yahoo.com"};
        QTest::newRow("phone: first down") << "lvwPhone"
                                           << "cmdPhoneDown" << 0 << phones << 1;
        QTest::newRow("phone: second up") << "lvwPhone"
                                          << "cmdPhoneUp" << 1 << phones << 0;
        QTest::newRow("phone: second up, menu") << "lvwPhone"
                                                << "mnuPopupPhoneUp" << 1 << phones << 0;
        QTest::newRow("e-mail: first down, menu") << "lvwEmail"
                                                  << "mnuPopupEmailDown" << 0 << emails << 1;
        QTest::newRow("e-mail: second up") << "lvwEmail"
                                           << "cmdEmailUp" << 1 << emails << 0;
        QTest::newRow("phone: first up") << "lvwPhone"
                                         << "mnuPopupPhoneUp" << 0 << QStringList{"111", "222", "333"} << 0;
        QTest::newRow("phone: last down")
            << "lvwPhone"
            << "mnuPopupPhoneDown" << 2 << QStringList{"111", "222", "333"} << 2;
    }
    void moveUpAndDown()
    {
        QFETCH(QString, list);
        QFETCH(QString, command);
        QFETCH(int, row);
        PersonEditor editor(PersonEditor::Mode::Edit, 1, &m_host);
        auto *entries = editor.findChild<QListWidget *>(list);
        select(entries, row);
        if (auto *button = editor.findChild<QToolButton *>(command))
            button->click();
        else
            editor.findChild<QAction *>(command)->trigger();
        QTEST(texts(entries), "order");
        QTEST(entries->currentRow(), "selected");
        QCOMPARE(entries->selectedItems().size(), 1);
    }

    // Send opens a new message to the address; Website the provider's
    // profile page of the address (offered only for the providers it knows).
    void emailLinks_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("opened");
        QTest::newRow("send") << 0 << "mnuPopupEmailSend"
                              << "mailto:anne@example.org";
        QTest::newRow("website of msn") << 1 << "mnuPopupEmailWebsite"
                                        << "https://members.msn.com/anne@hotmail.com";
        QTest::newRow("website of yahoo") << 2 << "mnuPopupEmailWebsite"
                                          << "https://profiles.yahoo.com/anne.s";
        QTest::newRow("no known provider") << 0 << "mnuPopupEmailWebsite"
                                           << "";
    }
    void emailLinks()
    {
        QFETCH(int, row);
        QFETCH(QString, command);
        QFETCH(QString, opened);
        PersonEditor editor(PersonEditor::Mode::Edit, 1, &m_host);
        select(editor.findChild<QListWidget *>(QStringLiteral("lvwEmail")), row);
        editor.findChild<QAction *>(command)->trigger();
        QCOMPARE(m_env->launcher.urls,
                 opened.isEmpty() ? std::vector<QString>{} : std::vector<QString>{opened});
    }
};

QTEST_MAIN(TestEditorLists)
#include "tst_editorlists.moc"
