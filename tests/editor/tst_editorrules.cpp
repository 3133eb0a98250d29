#include "TestEnv.h"

#include "editor/DateOfBirth.h"
#include "editor/EditorRules.h"
#include "editor/PersonStore.h"

#include <QtTest>

using namespace velmora;

using Entries = QList<ListEntry>;
using Controls = EditorRules::ListControls;
Q_DECLARE_METATYPE(Entries)
Q_DECLARE_METATYPE(Controls)

static const QString DMY = QStringLiteral("dd/mm/yyyy");
static const QString MDY = QStringLiteral("mm/dd/yyyy");
static const QString YMD = QStringLiteral("yyyy/mm/dd");

// Edit, remove and copy go together.
static Controls controls(bool edit, bool up, bool down, bool copy2, bool send = false, bool website = false)
{
    return {edit, edit, up, down, edit, copy2, send, website};
}

class TestEditorRules : public QObject {
    Q_OBJECT
private slots:
    void dateOfBirth_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("sql"); // "invalid": refused

        QTest::newRow("untouched field") << "//" << DMY << "Null";
        QTest::newRow("day first") << "31/12/1970" << DMY << "#12/31/1970#";
        QTest::newRow("month first") << "12/31/1970" << MDY << "#12/31/1970#";
        QTest::newRow("year first") << "1970/12/31" << YMD << "#12/31/1970#";
        QTest::newRow("29 February in a leap year") << "29/02/2000" << DMY << "#02/29/2000#";
        QTest::newRow("29 February otherwise") << "29/02/2001" << DMY << "invalid";
        QTest::newRow("single-digit day") << "1/12/1970" << DMY << "#12/1/1970#";
        QTest::newRow("day section empty") << "/12/1970" << DMY << "invalid";
        QTest::newRow("two-digit year") << "31/12/70" << DMY << "invalid";
        QTest::newRow("year 0001") << "01/01/0001" << DMY << "#01/01/0001#";
        QTest::newRow("31 April") << "31/04/1970" << DMY << "invalid";
        QTest::newRow("day first read as month first") << "31/12/1970" << MDY << "invalid";
        QTest::newRow("unknown format reads day first")
            << "31/12/1970" << QStringLiteral("dd.mm.yyyy") << "#12/31/1970#";
        QTest::newRow("no slash") << "31121970" << DMY << "invalid";
        QTest::newRow("prompt characters left in") << "3_/12/1970" << DMY << "invalid";
        QTest::newRow("non-ASCII digits") << "٣١/12/1970" << DMY << "invalid";
    }
    void dateOfBirth()
    {
        QFETCH(QString, field);
        QFETCH(QString, format);
        QTEST(dateOfBirthToSql(field, format).value_or(QStringLiteral("invalid")), "sql");
    }

    void descriptionFromItemText_data()
    {
        QTest::addColumn<QStringList>("row"); // text, value, description
        using S = QStringList;
        QTest::newRow("no description") << S{"0471 12", "0471 12", ""};
        QTest::newRow("description") << S{"0471 12 (home)", "0471 12", "home"};
        QTest::newRow("parentheses inside") << S{"123 (work (old))", "123", "work (old)"};
        QTest::newRow("no closing parenthesis: cut by length") << S{"123 (a (b", "123", "a ("};
        QTest::newRow("one character longer") << S{"12x", "12", ""};
        QTest::newRow("empty value") << S{"(home)", "", "home"};
        QTest::newRow("empty value, no description") << S{"", "", ""};
    }
    void descriptionFromItemText()
    {
        QFETCH(QStringList, row);
        QCOMPARE(velmora::descriptionFromItemText(row[0], row[1]), row[2]);
    }

    // An e-mail address of blanks (the e-mail dialog takes it) keeps the
    // description typed beside it.
    void blankAddressKeepsDescription()
    {
        const ListEntry entry = EditorRules::makeEntry(QStringLiteral("   "), QStringLiteral("home"));
        QVERIFY2(PersonStore::insertEmailStatement(1, 1, entry).endsWith(QLatin1String("'', 'home') ")),
                 qPrintable(PersonStore::insertEmailStatement(1, 1, entry)));
    }

    void listControls_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("email");
        QTest::addColumn<Controls>("expected");
        const ListEntry plain{QStringLiteral("123"), QStringLiteral("123")};
        const ListEntry described{QStringLiteral("456 (home)"), QStringLiteral("456")};
        // clang-format off
        QTest::newRow("empty list") << Entries{} << -1 << false << Controls{};
        QTest::newRow("no selection counts as empty") << Entries{plain} << -1 << false << Controls{};
        QTest::newRow("one entry") << Entries{plain} << 0 << false << controls(true, false, false, false);
        QTest::newRow("one described entry") << Entries{described} << 0 << false << controls(true, false, false, true);
        QTest::newRow("middle of three") << Entries{plain, described, plain} << 1 << false << controls(true, true, true, true);
        QTest::newRow("e-mail, other provider") << Entries{{"a@example.org", "a@example.org"}} << 0 << true << controls(true, false, false, false, true, false);
        QTest::newRow("e-mail at Hotmail") << Entries{{"a@HotMail.com", "a@HotMail.com"}} << 0 << true << controls(true, false, false, false, true, true);
        QTest::newRow("e-mail with msn in the description") << Entries{{"a@x.org (MSN chat)", "a@x.org"}} << 0 << true << controls(true, false, false, true, true, true);
        QTest::newRow("phone mentioning yahoo has no website") << Entries{{"1 (yahoo)", "1"}} << 0 << false << controls(true, false, false, true);
        // clang-format on
    }
    void listControls()
    {
        QFETCH(Entries, entries);
        QFETCH(int, selected);
        QFETCH(bool, email);
        QTEST(EditorRules::listControls(entries, selected, email), "expected");
    }
};

QTEST_GUILESS_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
