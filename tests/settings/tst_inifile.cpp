#include "TestEnv.h"

#include "settings/IniFile.h"

#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// A byte string literal that may hold NUL bytes, without its terminator.
template <size_t N>
QByteArray bytes(const char (&text)[N])
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
        QTest::newRow("key with blank") << basic << "Translation" << "First name" << "Voornaam";
        QTest::newRow("key case") << basic << "Translation" << "aDD" << "Toevoegen";
        QTest::newRow("section case") << basic << "TRANSLATION" << "Add" << "Toevoegen";
        QTest::newRow("missing key") << basic << "Translation" << "Remove" << "";
        QTest::newRow("missing section") << basic << "Info" << "Add" << "";
        QTest::newRow("blanks around everything")
            << QByteArray("  [ Translation ]  \n \t Add   =   Toevoegen  \t\n") << "Translation" << "Add"
            << "Toevoegen";
        QTest::newRow("double quotes removed")
            << QByteArray("[S]\nk=\"  spaced  \"\n") << "S" << "k" << "  spaced  ";
        QTest::newRow("single quotes removed") << QByteArray("[S]\nk='x'\n") << "S" << "k" << "x";
        QTest::newRow("unbalanced quote kept") << QByteArray("[S]\nk=\"x\n") << "S" << "k" << "\"x";
        QTest::newRow("mixed quotes kept") << QByteArray("[S]\nk=\"x'\n") << "S" << "k" << "\"x'";
        QTest::newRow("lone quote kept") << QByteArray("[S]\nk=\"\n") << "S" << "k" << "\"";
        QTest::newRow("inner quotes kept")
            << QByteArray("[S]\nk=say \"hi\" now\n") << "S" << "k" << "say \"hi\" now";
        QTest::newRow("empty value") << QByteArray("[S]\nk=\n") << "S" << "k" << "";
        QTest::newRow("equals in value") << QByteArray("[S]\nk=b=c\n") << "S" << "k" << "b=c";
        QTest::newRow("first duplicate counts") << QByteArray("[S]\nk=one\nK=two\n") << "S" << "k" << "one";
        QTest::newRow("section in two parts")
            << QByteArray("[S]\na=1\n[T]\nb=2\n[s]\nc=3\n") << "S" << "c" << "3";
        QTest::newRow("other section's key") << QByteArray("[S]\na=1\n[T]\nb=2\n") << "S" << "b" << "";
        QTest::newRow("crlf") << QByteArray("[S]\r\na=1\r\nb=2\r\n") << "S" << "b" << "2";
        QTest::newRow("cr only") << QByteArray("[S]\ra=1\rb=2\r") << "S" << "b" << "2";
        QTest::newRow("no final newline") << QByteArray("[S]\nb=2") << "S" << "b" << "2";
        QTest::newRow("comment line") << QByteArray("[S]\n;k=x\nk=y\n") << "S" << "k" << "y";
        QTest::newRow("line without equals") << QByteArray("[S]\njunk line\nk=y\n") << "S" << "k" << "y";
        QTest::newRow("key without section") << QByteArray("k=v\n") << "S" << "k" << "";
        QTest::newRow("unclosed section header") << QByteArray("[S\nk=v\n") << "S" << "k" << "v";
        QTest::newRow("utf-8") << QByteArray("[S]\nSize=Gr\xC3\xB6\xC3\x9F" "e\n") << "S" << "size"
                               << QString::fromUtf8("Größe");
        QTest::newRow("utf-8 with byte order mark")
            << QByteArray("\xEF\xBB\xBF[S]\nk=\xE2\x82\xAC\n") << "S" << "k" << QString::fromUtf8("€");
        QTest::newRow("windows-1252") << QByteArray("[S]\nk=Gr\xF6\xDF" "e \x80 \x93ok\x94\n") << "S" << "k"
                                      << QString::fromUtf8("Größe € “ok”");
        QTest::newRow("windows-1252 key")
            << QByteArray("[S]\nespa\xF1ol=yes\n") << "S" << QString::fromUtf8("ESPAÑOL") << "yes";
        QTest::newRow("binary junk around keys")
            << bytes("\x00\x01\xFF\xFE\x00garbage\x00\n[S]\nk=v\n\x00\x9D\xFF") << "S" << "k" << "v";
        QTest::newRow("empty file") << QByteArray() << "S" << "k" << "";
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

    void valuesAreCutTo254Characters_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString a254(254, QLatin1Char('a'));
        QTest::newRow("254 stays") << a254 << a254;
        QTest::newRow("255 cut") << a254 + QLatin1Char('b') << a254;
        QTest::newRow("1000 cut") << QString(1000, QLatin1Char('x')) << QString(254, QLatin1Char('x'));
        QTest::newRow("quotes removed first")
            << QLatin1Char('"') + a254 + QLatin1Char('"') << a254;
        QTest::newRow("no half character")
            << QString(253, QLatin1Char('a')) + QString::fromUtf8("😀😀") << QString(253, QLatin1Char('a'));
    }
    void valuesAreCutTo254Characters()
    {
        test::TestEnv env;
        QFETCH(QString, value);
        QFETCH(QString, expected);
        const IniFile ini = IniFile::parse(("[S]\nk=" + value + "\n").toUtf8());
        QCOMPARE(ini.value(QStringLiteral("S"), QStringLiteral("k")), expected);
    }

    void missingFileReadsAsNothing()
    {
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("none.ini"));
        QCOMPARE(IniFile::read(path, QStringLiteral("S"), QStringLiteral("k")), QString());
        QCOMPARE(IniFile::load(path).keyCount(), 0);
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

        // An old file is read once and then trusted until its time or size
        // changes.
        const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
        writeFile(path, "[S]\nk=old\n");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(anHourAgo, QFileDevice::FileModificationTime));
        }
        QCOMPARE(IniFile::read(path, s, k), QStringLiteral("old"));
        writeFile(path, "[S]\nk=new\n");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(anHourAgo.addSecs(-60), QFileDevice::FileModificationTime));
        }
        QCOMPARE(IniFile::read(path, s, k), QStringLiteral("new"));

        QVERIFY(QFile::remove(path));
        QCOMPARE(IniFile::read(path, s, k), QString());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
