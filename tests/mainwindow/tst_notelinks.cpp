#include "TestEnv.h"

#include "mainwindow/NoteLinks.h"


#include <QtTest>

using namespace velmora;

using Ranges = QList<NoteLinks::Range>;
Q_DECLARE_METATYPE(Ranges)


class TestNoteLinks : public QObject {
    Q_OBJECT
private slots:
    void linkWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("link");
        for (const char *w : {"wais:x", "news:comp.lang", "telnet:host", "prospero:x", "nntp:x", "gopher:x",
                              "https://example.org", "ftp://x", "mailto:a@b.c", "file:///tmp/a", "http://x",
                              "www.example.org"})
            QTest::newRow(w) << QString::fromLatin1(w) << true;
        QTest::newRow("contains www") << "xwww" << true;
        QTest::newRow("capital prefix") << "WWW.example.org" << false;
        QTest::newRow("capital scheme") << "HTTP://x" << false;
        QTest::newRow("scheme without colon") << "http//x" << false;
        QTest::newRow("plain address") << "anne@example.org" << false;
    }
    void linkWords()
    {
        QFETCH(QString, word);
        QFETCH(bool, link);
        QCOMPARE(NoteLinks::isLinkWord(word), link);
    }

    void wordAtPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("word");
        const QString note = QStringLiteral("see www.example.org today");
        QTest::newRow("empty text") << "" << 0 << "";
        QTest::newRow("caret at the start") << note << 0 << "see";
        QTest::newRow("caret right after a word") << note << 3 << "see";
        QTest::newRow("caret inside the address") << note << 10 << "www.example.org";
        QTest::newRow("caret right after the address") << note << 19 << "www.example.org";
        QTest::newRow("caret beyond the end") << note << 99 << "today";
        QTest::newRow("negative caret") << note << -3 << "see";
        QTest::newRow("link at the end of a line") << "first http://x.org\r\nsecond" << 12 << "http://x.org";
        QTest::newRow("caret right after the line break") << "first http://x.org\r\nsecond" << 20 << "second";
        QTest::newRow("tab does not separate") << "a\twww.b" << 3 << "a\twww.b";
        QTest::newRow("text ending with a blank, caret at end") << "abc " << 4 << "";
        QTest::newRow("two blanks") << "a  b" << 2 << "";
        // A note that begins with a blank: the word after it, wherever the
        // caret stands in it.
        QTest::newRow("leading blank, caret inside") << " www.x" << 3 << "www.x";
        QTest::newRow("leading line break") << "\nwww.x" << 4 << "www.x";
    }
    void wordAtPosition()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, word);
        QCOMPARE(NoteLinks::wordAtPosition(text, position), word);
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<Ranges>("ranges");
        QTest::newRow("none") << "just words here" << Ranges{};
        QTest::newRow("empty") << "" << Ranges{};
        QTest::newRow("one in the middle") << "see www.x.org now" << Ranges{{4, 9}};
        QTest::newRow("line ends") << "http://a\r\nmailto:b@c\nx" << Ranges{{0, 8}, {10, 10}};
        QTest::newRow("at both ends") << "www.a b www.c" << Ranges{{0, 5}, {8, 5}};
        QTest::newRow("case matters") << "WWW.a www.b" << Ranges{{6, 5}};
    }
    void ranges()
    {
        QFETCH(QString, note);
        QFETCH(Ranges, ranges);
        QCOMPARE(NoteLinks::linkRanges(note), ranges);
        // A click anywhere on a highlighted word takes exactly that word.
        for (const NoteLinks::Range &r : ranges) {
            for (int caret = r.start + 1; caret <= r.start + r.length; ++caret)
                QCOMPARE(NoteLinks::wordAtPosition(note, caret), note.mid(r.start, r.length));
        }
    }
};

QTEST_MAIN(TestNoteLinks)
#include "tst_notelinks.moc"
