#include "TestBook.h"
#include "TestEnv.h"

#include "export/EmailList.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QUrl>
#include <QtTest>

using namespace velmora;

namespace {

const QString kFirst = QStringLiteral("First name Last name");
const QString kLast = QStringLiteral("Last name First name");

QStringList texts(const std::vector<PickerPerson> &persons)
{
    QStringList out;
    for (const PickerPerson &p : persons)
        out << QString::number(p.contactnr) + QLatin1Char(' ') + p.text;
    return out;
}

} // namespace

class TestEmailList : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Connection connection;

private slots:
    // Five persons: two Anna Berg (numbers 4 and 2), a person with three
    // addresses, one without any, names padded with blanks.
    void initTestCase()
    {
        env = std::make_unique<test::TestEnv>();
        test::createBook(connection, env->file(QStringLiteral("book.mdb")),
                         {test::person(4, "Anna", "Berg"), test::person(2, "Anna", "Berg"),
                          test::person(1, "Zoe ", " Adler"), test::person(3, "Bert", "Zander"),
                          test::person(5, "Carl", "Ohne"), test::entry("Email", 4, 1, "  anna4@example.org "),
                          test::entry("Email", 2, 1, "anna2@example.org"),
                          test::entry("Email", 1, 2, "zoe-second@example.org"),
                          test::entry("Email", 1, 1, "zoe@example.org", "home"),
                          test::entry("Email", 1, 3, "zoe-third@example.org"),
                          test::entry("Email", 3, 1, "bert+list@example.org")});
        setCurrentConnection(&connection);
    }
    void cleanupTestCase()
    {
        setCurrentConnection(nullptr);
        connection.close();
        env.reset();
    }

    // Only the address of order 1, and only persons that have one.
    void persons_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("last name first")
            << kLast
            << QStringList{"1 Adler Zoe (zoe@example.org)", "4 Berg Anna (anna4@example.org)",
                           "2 Berg Anna (anna2@example.org)", "3 Zander Bert (bert+list@example.org)"};
        QTest::newRow("first name first")
            << kFirst
            << QStringList{"4 Anna Berg (anna4@example.org)", "2 Anna Berg (anna2@example.org)",
                           "3 Bert Zander (bert+list@example.org)", "1 Zoe Adler (zoe@example.org)"};
    }
    void persons()
    {
        QFETCH(QString, order);
        QFETCH(QStringList, expected);
        std::vector<PickerPerson> persons;
        QVERIFY(!loadEmailPersons(order, persons));
        // The two Anna Berg may come in either order; the rest is fixed.
        const QStringList got = texts(persons);
        QStringList sortedGot = got, sortedExpected = expected;
        sortedGot.sort();
        sortedExpected.sort();
        QCOMPARE(sortedGot, sortedExpected);
        for (qsizetype i = 0; i < expected.size(); ++i) {
            if (!expected[i].contains(QLatin1String("Anna")))
                QCOMPARE(got[i], expected[i]);
        }
    }

    // Whatever the order of choosing: name order, ties by Contactnr.
    void addressList_data()
    {
        QTest::addColumn<std::vector<int>>("chosen");
        QTest::addColumn<QString>("order");
        QTest::addColumn<bool>("semicolons");
        QTest::addColumn<QString>("expected");
        const std::vector<int> all{3, 4, 1, 2};
        QTest::newRow("last name first, commas")
            << all << kLast << false
            << "zoe@example.org, anna2@example.org, anna4@example.org, bert+list@example.org";
        QTest::newRow("first name first, semicolons")
            << std::vector<int>{1, 2, 3, 4} << kFirst << true
            << "anna2@example.org; anna4@example.org; bert+list@example.org; zoe@example.org";
        QTest::newRow("one person") << std::vector<int>{4} << kLast << true << "anna4@example.org";
        QTest::newRow("nobody") << std::vector<int>{} << kLast << false << "";
    }
    void addressList()
    {
        QFETCH(std::vector<int>, chosen);
        QFETCH(QString, order);
        QFETCH(bool, semicolons);
        QTEST(buildAddressList(chosen, order, semicolons), "expected");
    }

    void separatorSetting()
    {
        QVERIFY(!semicolonsChosen());
        saveSeparator(true);
        QCOMPARE(getSetting(QStringLiteral("Separator")), QStringLiteral(";"));
        QVERIFY(semicolonsChosen());
        saveSeparator(false);
        QCOMPARE(getSetting(QStringLiteral("Separator")), QStringLiteral(","));
        saveSetting(QStringLiteral("Separator"), QStringLiteral("x"));
        QVERIFY(!semicolonsChosen());
        QCOMPARE(separatorExample(true),
                 QStringLiteral("anna@example.org; bert@example.org; carla@example.org; ..."));
    }

    // The URL text, and what the desktop gets after Qt has read it: the
    // addresses come back unchanged.
    void mailto_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("url");
        const char *rows[][3] = {
            {"plain", "anna@example.org, bert@example.org", "mailto:anna@example.org,%20bert@example.org"},
            {"plus, ampersand, percent", "a+b@example.org; c&d@example.org; e%f@example.org",
             "mailto:a%2Bb@example.org%3B%20c%26d@example.org%3B%20e%25f@example.org"},
            {"query characters", "what?x=1#y@example.org", "mailto:what%3Fx%3D1%23y@example.org"},
            {"non-ASCII", "jürgen@bücher.de", "mailto:j%C3%BCrgen@b%C3%BCcher.de"},
            {"empty", "", "mailto:"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
    }
    void mailto()
    {
        QFETCH(QString, list);
        QFETCH(QString, url);
        QCOMPARE(mailtoUrl(list), url);
        const QUrl parsed = QUrl::fromUserInput(url);
        QCOMPARE(parsed.scheme(), QStringLiteral("mailto"));
        QCOMPARE(parsed.path(QUrl::FullyDecoded), list);
        QCOMPARE(QString::fromLatin1(parsed.toEncoded()), url);
    }
};

QTEST_GUILESS_MAIN(TestEmailList)
#include "tst_emaillist.moc"
