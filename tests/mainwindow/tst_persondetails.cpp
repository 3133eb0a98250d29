#include "TestEnv.h"

#include "mainwindow/NoteLinks.h"
#include "mainwindow/PersonDetails.h"
#include "settings/DisplayOptions.h"

#include <QtTest>

using namespace velmora;

using Ranges = QList<NoteLinks::Range>;
Q_DECLARE_METATYPE(Ranges)

// A data row of texts only.
static void textRow(const char *name, std::initializer_list<const char *> texts)
{
    QTestData &row = QTest::newRow(name);
    for (const char *text : texts)
        row << QString::fromUtf8(text);
}

// The values of the details pane that need no window: age, caption, date
// text and the links in the note.
class TestPersonDetails : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    void age_data()
    {
        QTest::addColumn<QDate>("born");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("age");
        QTest::newRow("29 Feb, day before in common year") << QDate(2004, 2, 29) << QDate(2025, 2, 28) << 20;
        QTest::newRow("29 Feb, 1 March") << QDate(2004, 2, 29) << QDate(2025, 3, 1) << 21;
        QTest::newRow("29 Feb, leap day") << QDate(2004, 2, 29) << QDate(2008, 2, 29) << 4;
        QTest::newRow("29 Feb, 28 Feb of leap year") << QDate(2004, 2, 29) << QDate(2008, 2, 28) << 3;
        QTest::newRow("birthday today") << QDate(1980, 12, 6) << QDate(2026, 12, 6) << 46;
        QTest::newRow("birthday tomorrow") << QDate(1980, 12, 7) << QDate(2026, 12, 6) << 45;
        QTest::newRow("born in a later year") << QDate(2030, 1, 1) << QDate(2026, 12, 6) << 0;
        QTest::newRow("last year, day not reached") << QDate(2025, 12, 24) << QDate(2026, 12, 6) << 0;
    }
    void age()
    {
        QFETCH(QDate, born);
        QFETCH(QDate, today);
        QTEST(getAge(born, today), "age");
    }

    void caption_data()
    {
        for (const char *column : {"list", "first", "last", "caption"})
            QTest::addColumn<QString>(column);
        textRow("first name order", {"First name Last name", "Anne ", " Smith", "Anne Smith"});
        textRow("last name order", {"Last name First name", "Anne", "Smith", "Smith Anne"});
        textRow("only last name, first order", {"First name Last name", "", "Smith  ", "Smith"});
        textRow("ampersand", {"First name Last name", "Tom & Jerry", "", "Tom && Jerry"});
    }
    void caption()
    {
        QFETCH(QString, list);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QTEST(detailsCaption(first, last, list), "caption");
    }

    void dateText_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        textRow("month first", {"mm/dd/yyyy", "01/05/0987"});
        textRow("year first", {"yyyy/mm/dd", "0987/01/05"});
        textRow("unknown format", {"dd.mm.yyyy", ""});
    }
    void dateText()
    {
        QFETCH(QString, format);
        QTEST(formatDateOfBirth(QDate(987, 1, 5), format), "text");
    }

    // Where the caret stands on no highlighted link (the links are checked
    // with the ranges below).
    void wordAtPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("word");
        const QString note = QStringLiteral("see www.example.org today");
        QTest::newRow("empty text") << "" << 0 << "";
        QTest::newRow("caret at the start") << note << 0 << "see";
        QTest::newRow("caret right after a word") << note << 3 << "see";
        QTest::newRow("caret beyond the end") << note << 99 << "today";
        QTest::newRow("negative caret") << note << -3 << "see";
        QTest::newRow("caret right after the line break") << "first http://x.org\r\nsecond" << 20 << "second";
        QTest::newRow("tab does not separate") << "a\twww.b" << 3 << "a\twww.b";
        QTest::newRow("text ending with a blank, caret at end") << "abc " << 4 << "";
        QTest::newRow("two blanks") << "a  b" << 2 << "";
        QTest::newRow("leading blank, caret inside") << " www.x" << 3 << "www.x";
        QTest::newRow("leading line break") << "\nwww.x" << 4 << "www.x";
    }
    void wordAtPosition()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QTEST(NoteLinks::wordAtPosition(text, position), "word");
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<Ranges>("ranges");
        QTest::newRow("empty") << "" << Ranges{};
        QTest::newRow("one in the middle") << "see www.x.org now" << Ranges{{4, 9}};
        QTest::newRow("line ends") << "http://a\r\nmailto:b@c\nx" << Ranges{{0, 8}, {10, 10}};
        QTest::newRow("at both ends") << "www.a b www.c" << Ranges{{0, 5}, {8, 5}};
        // Schemes with their colon and "www" anywhere, in lower case only.
        // clang-format off
        QTest::newRow("link words") << "news:x https://e.org mailto:a@b.c xwww WWW.e HTTP://x http//x anne@e.org" << Ranges{{0, 6}, {7, 13}, {21, 12}, {34, 4}};
        // clang-format on
    }
    void ranges()
    {
        QFETCH(QString, note);
        QFETCH(Ranges, ranges);
        QCOMPARE(NoteLinks::linkRanges(note), ranges);
        // A click anywhere on a highlighted word, or right after it, takes exactly that word.
        for (const NoteLinks::Range &r : ranges) {
            for (int caret = r.start + 1; caret <= r.start + r.length; ++caret)
                QCOMPARE(NoteLinks::wordAtPosition(note, caret), note.mid(r.start, r.length));
        }
    }
};

QTEST_GUILESS_MAIN(TestPersonDetails)
#include "tst_persondetails.moc"
