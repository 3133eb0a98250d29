#include "TestEnv.h"
#include "TestFiles.h"

#include "settings/IniFile.h"

#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

using test::writeFile;

// A byte string literal that may hold NUL bytes, without its terminator.
template <size_t N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray basic = "[Translation]\nAdd=Toevoegen\nFirst name=Voornaam\n";
        QTest::newRow("plain") << basic << "Translation" << "Add" << "Toevoegen";
        QTest::newRow("blanks around everything")
            << QByteArray("  [ Translation ]  \n \t Add   =   Toevoegen  \t\n") << "Translation" << "Add"
            << "Toevoegen";
        QTest::newRow("double quotes removed") << QByteArray("[S]\nk=\"  spaced  \"\n") << "S" << "k" << "  spaced  ";
        QTest::newRow("unbalanced quote kept") << QByteArray("[S]\nk=\"x\n") << "S" << "k" << "\"x";
        QTest::newRow("equals in value") << QByteArray("[S]\nk=b=c\n") << "S" << "k" << "b=c";
        QTest::newRow("first duplicate counts") << QByteArray("[S]\nk=one\nK=two\n") << "S" << "k" << "one";
        QTest::newRow("section in two parts") << QByteArray("[S]\na=1\n[T]\nb=2\n[s]\nc=3\n") << "S" << "c" << "3";
        QTest::newRow("key without section") << QByteArray("k=v\n") << "S" << "k" << "";
        QTest::newRow("unclosed section header") << QByteArray("[S\nk=v\n") << "S" << "k" << "v";
        QTest::newRow("windows-1252") << QByteArray("[S]\nk=Gr\xF6\xDF"
                                                    "e \x80 \x93ok\x94\n") << "S"
                                      << "k" << QString::fromUtf8("Größe € “ok”");
        QTest::newRow("windows-1252 key")
            << QByteArray("[S]\nespa\xF1ol=yes\n") << "S" << QString::fromUtf8("ESPAÑOL") << "yes";
        QTest::newRow("cut to 254") << QByteArray("[S]\nk=" + QByteArray(300, 'x')) << "S"
                                    << "k" << QString(254, QLatin1Char('x'));
        QTest::newRow("binary junk around keys")
            << bytes("\x00\x01\xFF\xFE\x00garbage\x00\n[S]\nk=v\n\x00\x9D\xFF") << "S" << "k" << "v";
    }
    void lookup()
    {
        test::TestEnv env;
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const IniFile ini = IniFile::parse(content);
        QCOMPARE(ini.value(section, key), expected);

        // The same through a file and the cached reader.
        const QString path = env.file(QStringLiteral("lookup.ini"));
        writeFile(path, content);
        QCOMPARE(IniFile::read(path, section, key), expected);
    }

    void utf16WithByteOrderMark()
    {
        test::TestEnv env;
        const QString text = QString::fromUtf8("[Info]\r\nLanguage=Ελληνικά\r\n");
        QByteArray data("\xFF\xFE");
        for (const QChar c : text) {
            data.append(char(c.unicode() & 0xFF));
            data.append(char(c.unicode() >> 8));
        }
        QCOMPARE(IniFile::parse(data).value(QStringLiteral("Info"), QStringLiteral("Language")),
                 QString::fromUtf8("Ελληνικά"));
    }

    void missingFileReadsAsNothing()
    {
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("none.ini"));
        QCOMPARE(IniFile::read(path, QStringLiteral("S"), QStringLiteral("k")), QString());
        QCOMPARE(IniFile::read(QString(), QStringLiteral("S"), QStringLiteral("k")), QString());
        // A folder is no INI file.
        QCOMPARE(IniFile::read(env.root(), QStringLiteral("S"), QStringLiteral("k")), QString());
    }

    void hugeMalformedFileIsRead()
    {
        test::TestEnv env;
        // About 10 MB: keys outside any section, long lines, lines without "=",
        // binary bytes, then one real section at the very end.
        QByteArray content;
        content.reserve(11 * 1024 * 1024);
        const QByteArray junk(1000, '\xA7');
        int n = 0;
        while (content.size() < 10 * 1024 * 1024) {
            content += "key" + QByteArray::number(n) + "=value" + QByteArray::number(n) + "\n";
            content += junk + "\n";
            content += bytes("\x00\x01no equals here\n");
            ++n;
        }
        content += "[Last]\nfound=yes\n";
        const QString path = env.file(QStringLiteral("huge.ini"));
        writeFile(path, content);
        QCOMPARE(IniFile::read(path, QStringLiteral("Last"), QStringLiteral("found")), QStringLiteral("yes"));
        QCOMPARE(IniFile::read(path, QStringLiteral("Last"), QStringLiteral("key1")), QString());
        QCOMPARE(IniFile::read(path, QString(), QStringLiteral("key7")), QStringLiteral("value7"));
    }

    void changedFileIsSeenAtTheNextCall()
    {
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("changing.ini"));
        const QString s = QStringLiteral("S");
        const QString k = QStringLiteral("k");

        // Written just now: equal sizes and times within one clock tick.
        writeFile(path, "[S]\nk=one\n");
        QCOMPARE(IniFile::read(path, s, k), QStringLiteral("one"));
        writeFile(path, "[S]\nk=two\n");
        QCOMPARE(IniFile::read(path, s, k), QStringLiteral("two"));

        QVERIFY(QFile::remove(path));
        QCOMPARE(IniFile::read(path, s, k), QString());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
