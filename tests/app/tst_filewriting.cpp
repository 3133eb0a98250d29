#include "TestEnv.h"
#include "TestFiles.h"

#include "app/PageWriter.h"
#include "app/SafeFile.h"

#include <QDir>
#include <QtTest>

using namespace velmora;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Files in a folder other than the ones named: what a failed write left behind.
QStringList strayFiles(const QString &folder, const QStringList &expected)
{
    QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : expected)
        found.removeAll(name);
    return found;
}

} // namespace

class TestFileWriting : public QObject {
    Q_OBJECT
private slots:
    void pageWriterFlushesInTheMiddleWithoutLosingText()
    {
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("page.htm"));
        PageWriter writer(path);
        // 1,000 lines of 30 characters: the buffer passes 25,000 once on the way.
        QByteArray expected;
        for (int i = 0; i < 1000; ++i) {
            const QString line =
                QStringLiteral("\tline %1 ").arg(i, 4, 10, QLatin1Char('0')).leftJustified(28, u'x');
            writer.addLine(line);
            expected += line.toLatin1() + "\r\n";
            if (i == 0)
                QVERIFY(!QFile::exists(path)); // nothing is written before the limit
        }
        QVERIFY(QFile::exists(path));
        QVERIFY(writer.buffer().size() <= PageWriter::flushLimit);
        QVERIFY(writer.flush());
        QCOMPARE(readAll(path), expected);
        // A further page appends: the writer never truncates.
        writer.addLine(QStringLiteral("end"));
        QVERIFY(writer.flush());
        QCOMPARE(readAll(path), expected + "end\r\n");
    }

    void pageEncodings_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("bytes");
        const int latin = int(PageEncoding::Latin1WithReferences);
        const int locale = int(PageEncoding::Locale);
        QTest::newRow("latin1 accents stay bytes")
            << latin << QStringLiteral("Zoë Ångström") << QByteArray("Zo\xeb \xc5ngstr\xf6m");
        QTest::newRow("latin1 cyrillic")
            << latin << QStringLiteral("Жанна") << QByteArray("&#1046;&#1072;&#1085;&#1085;&#1072;");
        QTest::newRow("latin1 cjk") << latin << QStringLiteral("李") << QByteArray("&#26446;");
        QTest::newRow("latin1 emoji is one reference")
            << latin << QStringLiteral("a\U0001F600b") << QByteArray("a&#128512;b");
        QTest::newRow("latin1 lone surrogate") << latin << QString(QChar(0xD800)) << QByteArray("&#65533;");
        QTest::newRow("locale utf-8") << locale << QStringLiteral("Zoë Жанна \U0001F600")
                                      << QStringLiteral("Zoë Жанна \U0001F600").toUtf8();
    }
    void pageEncodings()
    {
        QFETCH(int, encoding);
        QFETCH(QString, line);
        QFETCH(QByteArray, bytes);
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("page"));
        PageWriter writer(path, PageEncoding(encoding));
        writer.addLine(line);
        QVERIFY(writer.flush());
        QCOMPARE(readAll(path), bytes + "\r\n");
    }

    void escapeXmlEscapesMarkupOnly()
    {
        QCOMPARE(escapeXml(u"Tom & \"Jerry\" <b>'x'</b>"),
                 QStringLiteral("Tom &amp; &quot;Jerry&quot; &lt;b&gt;'x'&lt;/b&gt;"));
        QCOMPARE(escapeXml(u"&amp;"), QStringLiteral("&amp;amp;"));
    }

    void pageWriterReportsAFailedFlushOnce()
    {
        test::TestEnv env;
        const QString path = env.file(QStringLiteral("no-such-folder/page.htm"));
        PageWriter writer(path);
        writer.addLine(u"x");
        QVERIFY(!writer.flush());
        QVERIFY(!writer.ok());
        QVERIFY2(writer.errorText().contains(path), qPrintable(writer.errorText()));
        // Later lines do not make a torn file look complete.
        QDir().mkpath(env.file(QStringLiteral("no-such-folder")));
        writer.addLine(u"y");
        QVERIFY(!writer.flush());
        QVERIFY(!QFile::exists(path));
        writer.reset();
        QVERIFY(writer.ok());
    }

    void safeWriteReplacesKeepingPermissions()
    {
        test::TestEnv env;
        const QString target = env.file(QStringLiteral("out/export.txt"));
        test::writeFile(target, "old");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(writeFileSafely(target, "new text").ok);
        QCOMPARE(readAll(target), QByteArray("new text"));
        // Owner read and write only, as it was: nothing for the group or others.
        QCOMPARE(QFile::permissions(target) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(strayFiles(env.file(QStringLiteral("out")), {QStringLiteral("export.txt")}), QStringList());
        // A new file in an existing folder.
        QVERIFY(writeFileSafely(env.file(QStringLiteral("out/new.htm")), "").ok);
        QCOMPARE(readAll(env.file(QStringLiteral("out/new.htm"))), QByteArray());
    }

    void safeWriteFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << QStringLiteral("folder");
        QTest::newRow("read-only target") << QStringLiteral("readonly");
        QTest::newRow("folder in the target's place") << QStringLiteral("dir");
        QTest::newRow("write-protected folder") << QStringLiteral("protectedfolder");
        QTest::newRow("missing source") << QStringLiteral("source");
    }
    void safeWriteFailures()
    {
        QFETCH(QString, kind);
        test::TestEnv env;
        const QString folder = env.file(QStringLiteral("out"));
        QString target = folder + QStringLiteral("/page.htm");
        test::writeFile(target, "old page");
        std::unique_ptr<test::WriteProtect> protect;
        if (kind == QLatin1String("folder"))
            target = env.file(QStringLiteral("missing/page.htm"));
        if (kind == QLatin1String("readonly"))
            QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadUser);
        if (kind == QLatin1String("dir")) {
            target = folder + QStringLiteral("/sub");
            QDir().mkpath(target);
        }
        if (kind == QLatin1String("protectedfolder")) {
            protect = std::make_unique<test::WriteProtect>(folder);
            if (!protect->active())
                QSKIP("the folder cannot be write-protected here");
        }
        const FileResult result = kind == QLatin1String("source")
                                      ? copyFileSafely(env.file(QStringLiteral("gone.htm")), target)
                                      : writeFileSafely(target, "new page");
        protect.reset();
        QVERIFY(!result.ok);
        const QString named = kind == QLatin1String("source") ? env.file(QStringLiteral("gone.htm")) : target;
        QVERIFY2(result.errorText.contains(named), qPrintable(result.errorText));
        // Whatever failed, the old file is as it was and nothing is left beside it.
        QCOMPARE(readAll(folder + QStringLiteral("/page.htm")), QByteArray("old page"));
        QCOMPARE(strayFiles(folder, {QStringLiteral("page.htm")}), QStringList());
    }

    void copyCopiesBytes()
    {
        test::TestEnv env;
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes += char(i);
        test::writeFile(env.file(QStringLiteral("src.bin")), bytes);
        QVERIFY(copyFileSafely(env.file(QStringLiteral("src.bin")), env.file(QStringLiteral("dst.bin"))).ok);
        QCOMPARE(readAll(env.file(QStringLiteral("dst.bin"))), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFileWriting)
#include "tst_filewriting.moc"
