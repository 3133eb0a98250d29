#include "TestEnv.h"
#include "TestFiles.h"

#include "settings/IniFile.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>

using namespace velmora;
using test::writeFile;

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    // Lookups in section [S], whatever the case of its name.
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("blanks around everything") << QByteArray(" [ s ] \n \t k  =  v \t\n") << "k" << "v";
        QTest::newRow("double quotes removed") << QByteArray("[S]\nk=\" spaced \"\n") << "k" << " spaced ";
        QTest::newRow("unbalanced quote kept") << QByteArray("[S]\nk=\"x\n") << "k" << "\"x";
        QTest::newRow("equals in value") << QByteArray("[S]\nk=b=c\n") << "k" << "b=c";
        QTest::newRow("first duplicate counts") << QByteArray("[S]\nk=one\nK=two\n") << "k" << "one";
        QTest::newRow("section in two parts") << QByteArray("[S]\na=1\n[T]\nb=2\n[s]\nc=3\n") << "c" << "3";
        QTest::newRow("key without section") << QByteArray("k=v\n") << "k" << "";
        QTest::newRow("unclosed section header") << QByteArray("[S\nk=v\n") << "k" << "v";
        QTest::newRow("windows-1252") << QByteArray("[S]\nk=Gr\xF6\xDF" "e \x80 \x93ok\x94\n") << "k"
            << QString::fromUtf8("Größe € “ok”");
        QTest::newRow("windows-1252 key") << QByteArray("[S]\nespa\xF1ol=yes") << QString::fromUtf8("ESPAÑOL")
            << "yes";
        QTest::newRow("utf-16") << QByteArray(QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)
            .encode(QString::fromUtf8("[S]\r\nk=Ελληνικά\r\n"))) << "k" << QString::fromUtf8("Ελληνικά");
        QTest::newRow("lone surrogate, other case") << QByteArray("\xFF\xFE[\0S\0]\0\n\0A\0\x3B\xD8x\0=\0v\0", 20)
            << QStringLiteral("a") + QChar(0xD83B) + u'X' << "v";
        QTest::newRow("cut to 254") << "[S]\nk=" + QByteArray(300, 'x') << "k" << QString(254, u'x');
        QTest::newRow("binary junk")
            << QByteArrayLiteral("\x00\x01\xFF\xFE\x00junk\x00\n[S]\nk=v\n\x00\x9D\xFF") << "k" << "v";
        // clang-format on
    }
    void lookup()
    {
        test::TestEnv env;
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString section = QStringLiteral("S");
        QCOMPARE(IniFile::parse(content).value(section, key), expected);

        // The same through a file and the cached reader.
        const QString path = env.file(QStringLiteral("lookup.ini"));
        writeFile(path, content);
        QCOMPARE(IniFile::read(path, section, key), expected);
    }

    void hugeMalformedFileIsRead()
    {
        test::TestEnv env;
        // About 10 MB: keys outside any section, long lines, lines without "=",
        // binary bytes, then one real section at the very end.
        QByteArray content;
        const QByteArray junk = QByteArray(1000, '\xA7') + QByteArrayLiteral("\n\x00\x01no equals here\n");
        for (int n = 0; content.size() < 10 * 1024 * 1024; ++n)
            content += "key" + QByteArray::number(n) + "=value" + QByteArray::number(n) + "\n" + junk;
        content += "[Last]\nfound=yes\n";
        const QString path = env.file(QStringLiteral("huge.ini"));
        writeFile(path, content);
        QCOMPARE(IniFile::read(path, QStringLiteral("Last"), QStringLiteral("found")), QStringLiteral("yes"));
        QCOMPARE(IniFile::read(path, QStringLiteral("Last"), QStringLiteral("key1")), QString());
        QCOMPARE(IniFile::read(path, QString(), QStringLiteral("key7")), QStringLiteral("value7"));
    }

    void changedOrMissingFile()
    {
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("changing.ini"));
        const QString s = QStringLiteral("S"), k = QStringLiteral("k");

        // Written just now: equal sizes and times within one clock tick.
        writeFile(path, "[S]\nk=one\n");
        QCOMPARE(IniFile::read(path, s, k), QStringLiteral("one"));
        writeFile(path, "[S]\nk=two\n");
        QCOMPARE(IniFile::read(path, s, k), QStringLiteral("two"));

        // Gone, no path or a folder: nothing.
        QVERIFY(QFile::remove(path));
        for (const QString &gone : {path, QString(), env.root()})
            QCOMPARE(IniFile::read(gone, s, k), QString());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
