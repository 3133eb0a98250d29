#include "TestEnv.h"

#include "mainwindow/PersonListQuery.h"
#include "mainwindow/QuickSearch.h"

#include <QStandardItemModel>
#include <QtTest>

using namespace velmora;

// Rows as the contact list holds them: row text and other name.
struct Rows {
    QStringList texts;
    QStringList subItems;
};
Q_DECLARE_METATYPE(Rows)

static Rows rows(std::initializer_list<std::pair<const char *, const char *>> list)
{
    Rows r;
    for (const auto &[text, sub] : list) {
        r.texts << QString::fromUtf8(text);
        r.subItems << QString::fromUtf8(sub);
    }
    return r;
}

class TestQuickSearch : public QObject {
    Q_OBJECT
private slots:
    void findsFirstRowByFullName_data()
    {
        QTest::addColumn<Rows>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");

        const Rows firstNameFirst =
            rows({{"Andrew", "Baker"}, {"Anne", "Smith"}, {"Anne", "Smythe"}, {"Bert", "Cole"}});
        QTest::newRow("empty text selects the first row") << firstNameFirst << "" << 0;
        QTest::newRow("prefix of a first name") << firstNameFirst << "an" << 0;
        QTest::newRow("narrowed to the second row") << firstNameFirst << "anne" << 1;
        QTest::newRow("into the other name") << firstNameFirst << "anne sm" << 1;
        QTest::newRow("longer than any name") << firstNameFirst << "anne smythes" << -1;
        QTest::newRow("other name alone finds nothing") << firstNameFirst << "smith" << -1;
        QTest::newRow("leading blank matches nothing") << firstNameFirst << " anne" << -1;
        QTest::newRow("two blanks between the names") << firstNameFirst << "anne  smith" << -1;
        QTest::newRow("empty list") << Rows{} << "a" << -1;

        QTest::newRow("names are trimmed") << rows({{"  Anne  ", "  Smith "}}) << "anne smith" << 0;
        QTest::newRow("empty row text: blank first") << rows({{"", "Smith"}, {"Smith", ""}}) << " smith" << 0;
        QTest::newRow("not accent-insensitive")
            << rows({{"Émile", "Zola"}, {"Emile", "Zola"}}) << "emile" << 1;
        QTest::newRow("accents lower-cased") << rows({{"Émile", "Zola"}}) << "ÉMILE Z" << 0;
        QTest::newRow("non-Latin script")
            << rows({{"Αλέξανδρος", "Παπαδόπουλος"}, {"Иван", "Петров"}}) << "иван п" << 1;
        QTest::newRow("capital I with dot above")
            << rows({{"İlker", "Başbuğ"}, {"Ilker", "X"}}) << QString(QStringLiteral("İl")).toLower() << 0;
        QTest::newRow("characters outside the basic plane") << rows({{"𐐀x", "Y"}, {"x", "Y"}}) << "𐐨x y" << 0;
        QTest::newRow("apostrophe and percent") << rows({{"O'Brien", "100%"}}) << "o'brien 100%" << 0;
    }
    void findsFirstRowByFullName()
    {
        test::TestEnv env;
        QFETCH(Rows, list);
        QFETCH(QString, typed);
        QFETCH(int, row);

        QCOMPARE(QuickSearch::findRow(list.texts, list.subItems, typed), row);

        // The same on the rows of the list model and of an item model.
        std::vector<PersonRow> personRows;
        QStandardItemModel model(0, 2);
        for (int i = 0; i < list.texts.size(); ++i) {
            personRows.push_back({i + 1, list.texts.at(i), list.subItems.at(i)});
            model.appendRow({new QStandardItem(list.texts.at(i)), new QStandardItem(list.subItems.at(i))});
        }
        QCOMPARE(QuickSearch::findRow(personRows, typed), row);
        QCOMPARE(QuickSearch::findRow(model, typed), row);
    }

    // The character-by-character comparison must agree with lower-casing the
    // whole name for every character.
    void agreesWithWholeLowerCase()
    {
        for (char32_t u = 1; u < 0x20000; ++u) {
            if (u >= 0xD800 && u < 0xE000)
                continue;
            const QString c = QString::fromUcs4(&u, 1);
            const QString text = QStringLiteral("a") + c + QStringLiteral("b");
            const QString lowered = (text + QStringLiteral(" z")).toLower();
            // Typed: the expected lowered prefix, and a near miss.
            const QString typed = lowered.left(lowered.size() - 1);
            if (!QuickSearch::matches(text, QStringLiteral("Z"), typed))
                QFAIL(
                    qPrintable(QStringLiteral("U+%1 not matched").arg(quint32(u), 4, 16, QLatin1Char('0'))));
            if (QuickSearch::matches(text, QStringLiteral("Z"), typed + QStringLiteral("q")))
                QFAIL(
                    qPrintable(QStringLiteral("U+%1 over-matched").arg(quint32(u), 4, 16, QLatin1Char('0'))));
        }
    }
};

QTEST_GUILESS_MAIN(TestQuickSearch)
#include "tst_quicksearch.moc"
