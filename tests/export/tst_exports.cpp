#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "export/ExportRows.h"
#include "export/HtmlExport.h"
#include "export/PreviewCommands.h"
#include "export/TextExport.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QtTest>

using namespace velmora;

namespace {

using Numbers = std::vector<int>;

QString crlf(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// Lines given as one text, split at "|"; "-" stands for the separator line.
QStringList cut(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('|'));
    for (QString &line : lines)
        if (line == QLatin1String("-"))
            line = QStringLiteral("-----------");
    return lines;
}

// A file's text written as ISO-8859-1 (or ASCII), or as UTF-8.
QString latin1(const QString &path)
{
    return QString::fromLatin1(test::readAll(path));
}
QString utf8(const QString &path)
{
    return QString::fromUtf8(test::readAll(path));
}

// The error of an XML parser on the document, empty when it is well-formed.
QString xmlError(const QByteArray &document)
{
    QXmlStreamReader reader(document);
    while (!reader.atEnd())
        reader.readNext();
    return reader.hasError()
               ? reader.errorString() + QStringLiteral(" at line ") + QString::number(reader.lineNumber())
               : QString();
}

// The person blocks of an XHTML export: the lines between <body> and </body>.
QString body(const QString &document)
{
    const qsizetype from = document.indexOf(QStringLiteral("<body>\r\n")) + 8;
    const qsizetype to = document.indexOf(QStringLiteral("</body>"));
    return document.mid(from, to - from);
}

ExportOptions optionsOf(const QString &ticks)
{
    // "NDAPpEeT": a capital or small letter per box, "-" for unticked.
    ExportOptions o;
    bool *boxes[] = {&o.name,  &o.dateOfBirth,      &o.address, &o.phone, &o.phoneDescription,
                     &o.email, &o.emailDescription, &o.note};
    for (int i = 0; i < 8; ++i)
        *boxes[i] = ticks.at(i) != QLatin1Char('-');
    return o;
}

} // namespace

Q_DECLARE_METATYPE(ExportOptions)

// The text and XHTML exports on a small book: every line of both formats,
// the person order, the encodings, restyling and saving.
class TestExports : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    Connection m_book;
    Connection *m_before = nullptr;

    QString css(const QString &name) const { return m_env.programFolder() + "/Css/" + name + ".css"; }

private slots:
    void initTestCase()
    {
        // Persons 1 and 3 have the same name; 2 has no details at all.
        test::createBook(
            m_book, m_env.file("book.mdb"),
            {test::person(1, "Ann", "Berg", "#3/5/1980#", "Street 1\r\nTown", "See www.a.com now"),
             test::person(2, "Bo", "Adams"), test::person(3, "Ann", "Berg", "Null", "  ", "  "),
             test::entry("Phone", 1, 2, "0472", "  "), test::entry("Phone", 1, 1, " 0471 12", "home "),
             test::entry("Email", 1, 1, "ann@x.org", "work"), test::entry("Phone", 3, 1, "99")});
        m_before = currentConnection();
        setCurrentConnection(&m_book);
        test::writeFile(css("Normal"), "body { color: black; }\n.name { font-weight: bold; }\n");
        test::writeFile(css("Blue"), "body { color: navy; }\r\n\r\n.note { color: gray; }\r\n");
    }
    void cleanupTestCase() { setCurrentConnection(m_before); }
    void init()
    {
        saveSetting("List", "First name Last name");
        saveSetting("Date", "dd/mm/yyyy");
        saveSetting("Css", "Normal");
        m_env.prompts.clear();
    }

    // Every line of the text export for the boxes ticked; persons in name
    // order, equal names by number, whatever order they were chosen in.
    void text_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<QStringList>("lines");
        const QString first = QStringLiteral("First name Last name");
        QTest::newRow("all boxes")
            << first << "dd/mm/yyyy"
            << "NDAPpEeT"
            << cut("-|Ann Berg|05/03/1980|Street 1|Town|0471 12 (home)|0472|ann@x.org (work)|"
                   "See www.a.com now|-|||-|Ann Berg|99|-|||-|Bo Adams|-||");
        QTest::newRow("no box") << first << "dd/mm/yyyy"
                                << "--------" << cut("-|-|||-|-|||-|-||");
        QTest::newRow("only name, last name first")
            << "Last name First name"
            << "dd/mm/yyyy"
            << "N-------" << cut("-|Adams Bo|-|||-|Berg Ann|-|||-|Berg Ann|-||");
        QTest::newRow("no descriptions, month first")
            << first << "mm/dd/yyyy"
            << "-D-P-E--" << cut("-|03/05/1980|0471 12|0472|ann@x.org|-|||-|99|-|||-|-||");
        QTest::newRow("year first, e-mail only")
            << first << "yyyy/mm/dd"
            << "-D---Ee-" << cut("-|1980/03/05|ann@x.org (work)|-|||-|-|||-|-||");
    }
    void text()
    {
        QFETCH(QString, list);
        QFETCH(QString, date);
        QFETCH(QString, ticks);
        QFETCH(QStringList, lines);
        saveSetting("List", list);
        saveSetting("Date", date);
        int steps = 0, maximum = -1;
        ProgressCallback progress = [&](int done, int total) {
            maximum = total;
            steps = done;
        };
        const FileResult r = exportText({2, 3, 1}, optionsOf(ticks), progress);
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(utf8(TextExport::outputPath()), crlf(lines));
        QCOMPARE(maximum, 3);
        QCOMPARE(steps, 3);
    }

    // Nothing typed is lost: the text export is UTF-8 (the locale's
    // encoding); the XHTML document holds ASCII only, the rest as references,
    // and markup characters escaped.
    void characters()
    {
        Connection c;
        test::createBook(
            c, m_env.file("chars.mdb"),
            {test::person(7, "Zoë <b>", "Łukasz & \"Co\" 😀", "Null", "", "x&y www.a.com?q=1&r=<2>")});
        setCurrentConnection(&c);
        QVERIFY(exportText({7}, optionsOf("N------T")).ok);
        QCOMPARE(utf8(TextExport::outputPath()), crlf({"-----------", "Zoë <b> Łukasz & \"Co\" 😀",
                                                       "x&y www.a.com?q=1&r=<2>", "-----------", "", ""}));
        QVERIFY(exportHtml({7}, optionsOf("N------T")).ok);
        const QByteArray bytes = test::readAll(HtmlExport::outputPath());
        setCurrentConnection(&m_book);
        for (char b : bytes)
            QVERIFY(uchar(b) < 0x80);
        QCOMPARE(xmlError(bytes), QString());
        QCOMPARE(
            body(QString::fromLatin1(bytes)),
            crlf({"\t<div class=\"person\">", "\t\t<div class=\"name\">",
                  "\t\t\tZo&#235; &lt;b&gt; &#321;ukasz &amp; &quot;Co&quot; &#128512;", "\t\t</div>",
                  "\t\t<div class=\"note\">",
                  "\t\t\tx&amp;y <a href=\"www.a.com?q=1&amp;r=&lt;2&gt;\">www.a.com?q=1&amp;r=&lt;2&gt;</a>",
                  "\t\t</div>", "\t</div>"}));
    }

    // The whole XHTML document with every box ticked, well-formed, against the
    // golden file (its style sheet link as @CSS@): Ann Berg (1) with everything,
    // Ann Berg (3) with one phone and blanks, Bo Adams (2) with nothing but the name.
    void htmlDocument()
    {
        QVERIFY(exportHtml({1, 2, 3}, ExportOptions()).ok);
        const QString href = QUrl::fromLocalFile(css("Normal")).toString(QUrl::FullyEncoded);
        const QString document = latin1(HtmlExport::outputPath());
        QCOMPARE(xmlError(document.toLatin1()), QString());
        QVERIFY(!xmlError("<p>a & b</p>").isEmpty()); // the parser does catch faults
        const QString golden = QStringLiteral(VELMORA_SOURCE_DIR "/tests/export/golden/document.htm");
        if (qEnvironmentVariableIsSet("VELMORA_WRITE_GOLDEN"))
            test::writeFile(golden, QString(document).replace(href, "@CSS@").toLatin1());
        // Line by line, so that a difference names its line; every line ends in CR LF.
        QCOMPARE(document.split(u'\n'), latin1(golden).replace("@CSS@", href).split(u'\n'));
        QVERIFY(document.endsWith("\r\n") && document.count("\r\n") == document.count(u'\n'));
    }

    // Person blocks for fewer boxes.
    void htmlBlocks_data()
    {
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<QStringList>("lines");
        // clang-format off
        QTest::newRow("no box") << "--------" << cut("\t<div class=\"person\">|\t</div>");
        QTest::newRow("only name") << "N-------" << cut("\t<div class=\"person\">|\t\t<div class=\"name\">|"
                                                        "\t\t\tAnn Berg|\t\t</div>|\t</div>");
        QTest::newRow("numbers without description")
            << "---P----" << cut("\t<div class=\"person\">|\t\t<div class=\"phone\">|"
                                 "\t\t\t<div class=\"phonenumber\">|\t\t\t\t0471 12|\t\t\t</div>|"
                                 "\t\t\t<div class=\"phonenumber\">|\t\t\t\t0472|\t\t\t</div>|\t\t</div>|\t</div>");
        // clang-format on
    }
    void htmlBlocks()
    {
        QFETCH(QString, ticks);
        QFETCH(QStringList, lines);
        QVERIFY(exportHtml({1}, optionsOf(ticks)).ok);
        const QString document = latin1(HtmlExport::outputPath());
        QCOMPARE(xmlError(document.toLatin1()), QString());
        QCOMPARE(body(document), crlf(lines));
    }

    void makeLinks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("linked");
        const QString a = QStringLiteral("<a href=\"%1\">%1</a>");
        QTest::newRow("middle word") << "see www.x.org now"
                                     << "see " + a.arg("www.x.org") + " now";
        QTest::newRow("one word") << "mailto:a@b.c" << a.arg("mailto:a@b.c");
        QTest::newRow("twice") << "www.a.com or www.a.com"
                               << a.arg("www.a.com") + " or " + a.arg("www.a.com");
        QTest::newRow("inside a longer link word")
            << "(www.a.com) www.a.com" << a.arg("(www.a.com)") + " " + a.arg("www.a.com");
        QTest::newRow("lines") << "one\r\nhttp://x.y\nthree"
                               << "one\r\n" + a.arg("http://x.y") + "\nthree";
        QTest::newRow("capitals are no link") << "WWW.A.COM HTTP://B"
                                              << "WWW.A.COM HTTP://B";
        QTest::newRow("escaped ampersand") << "http://a?b=1&amp;c=2" << a.arg("http://a?b=1&amp;c=2");
    }
    void makeLinks()
    {
        QFETCH(QString, text);
        QTEST(HtmlExport::makeLinks(text), "linked");
    }

    // Restyling twice leaves one link, to the last style; a missing style
    // becomes Normal.
    void restyle()
    {
        QVERIFY(exportHtml({1}, optionsOf("N-------")).ok);
        const QString before = latin1(HtmlExport::outputPath());
        saveSetting("Css", "Blue");
        int steps = 0;
        QVERIFY(restyleHtmlExport([&](int done, int) { steps = done; }).ok);
        saveSetting("Css", "Blue");
        QVERIFY(restyleHtmlExport().ok);
        // One link, to the last style, and nothing else changed.
        QCOMPARE(latin1(HtmlExport::outputPath()), QString(before).replace("/Normal.css", "/Blue.css"));
        QCOMPARE(steps, int(before.count("\r\n")));
        QVERIFY(!QFile::exists(m_env.temp() + "/VelmoraOld.htm"));
        saveSetting("Css", "Gone");
        QVERIFY(restyleHtmlExport().ok);
        QCOMPARE(getSetting("Css"), QStringLiteral("Normal"));
        QCOMPARE(latin1(HtmlExport::outputPath()), before);
    }

    // A saved copy holds the sheet in a style element instead of the link.
    void saveHtml()
    {
        QVERIFY(exportHtml({2}, optionsOf("N-------")).ok);
        saveSetting("Css", "Blue");
        const QString target = m_env.file("saved.htm");
        QVERIFY(saveHtmlExport(target).ok);
        const QString saved = latin1(target);
        QVERIFY(!saved.contains("<link"));
        QVERIFY(saved.contains(
            crlf({"<meta name=\"generator\" content=\"Velmora 1.3.4\" />", "\t<style type=\"text/css\">",
                  "\t\tbody { color: navy; }", "\t\t", "\t\t.note { color: gray; }", "\t</style>", "</head>"})
                .mid(1)));
        QCOMPARE(xmlError(saved.toLatin1()), QString());
        QVERIFY(latin1(HtmlExport::outputPath()).contains("<link"));
    }

    // Failures leave the target as it was and say what went wrong.
    void saveFailures()
    {
        QVERIFY(exportHtml({2}, optionsOf("N-------")).ok);
        QVERIFY(exportText({2}, optionsOf("N-------")).ok);
        const QString target = m_env.file("keep/old.htm");
        test::writeFile(target, "old contents");
        saveSetting("Css", "Blue");
        QFile::rename(css("Blue"), css("Blue.moved")); // the style sheet is gone
        FileResult r = saveHtmlExport(target);
        QFile::rename(css("Blue.moved"), css("Blue"));
        QVERIFY(!r.ok);
        QVERIFY(r.errorText.contains(css("Blue")));
        QCOMPARE(test::readAll(target), QByteArray("old contents"));
        {
            test::WriteProtect protect(m_env.file("keep")); // the folder cannot be written
            if (!protect.active())
                QSKIP("no way to write-protect a folder here");
            r = saveHtmlExport(target);
            QVERIFY(!r.ok && !r.errorText.isEmpty());
            QVERIFY(!TextExport::saveTextExport(target).ok);
        }
        QCOMPARE(test::readAll(target), QByteArray("old contents"));
        QCOMPARE(QDir(m_env.file("keep")).entryList(QDir::Files), QStringList{"old.htm"});
        QVERIFY(TextExport::saveTextExport(target).ok);
        QCOMPARE(test::readAll(target), test::readAll(TextExport::outputPath()));
    }

    // The Save command: cancel, a new file, an existing file kept (No) or
    // replaced (Yes); the folder is remembered once a file is chosen. The
    // file offered is named after the day.
    void saveCommand_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancelled") << int(ExportFormat::Text) << false << true << false << false;
        QTest::newRow("new text file") << int(ExportFormat::Text) << false << false << false << true;
        QTest::newRow("new xhtml file") << int(ExportFormat::Html) << false << false << false << true;
        QTest::newRow("existing, No") << int(ExportFormat::Html) << true << false << false << false;
        QTest::newRow("existing, Yes") << int(ExportFormat::Text) << true << false << true << true;
    }
    void saveCommand()
    {
        QFETCH(int, format);
        QFETCH(bool, exists);
        QFETCH(bool, cancel);
        QFETCH(bool, replace);
        QFETCH(bool, saved);
        const auto f = ExportFormat(format);
        QCOMPARE(PreviewCommands::saveDialog(f).fileName,
                 QLatin1String(f == ExportFormat::Text ? "Velmora20261206.txt" : "Velmora20261206.htm"));
        QVERIFY(PreviewCommands::exportPersons(f, {1}, ExportOptions()).ok);
        deleteSetting("Export directory");
        const QString folder = m_env.file(QStringLiteral("save-%1").arg(QTest::currentDataTag()));
        const QString target = folder + "/list.out";
        QDir().mkpath(folder);
        if (exists)
            test::writeFile(target, "before");
        m_env.prompts.queueText(cancel ? QString() : target);
        if (exists)
            m_env.prompts.queueAnswer(replace ? Answer::Yes : Answer::No);
        QCOMPARE(PreviewCommands::save(f), saved);
        QVERIFY(m_env.prompts.allRepliesUsed());
        QCOMPARE(getSetting("Export directory").isEmpty(), cancel);
        if (exists)
            QCOMPARE(m_env.prompts.shown().back().text,
                     "File already exists:\r\n" + target + "\r\n\r\nReplace?");
        if (saved)
            QVERIFY(test::readAll(target).contains("Ann Berg"));
        else if (exists)
            QCOMPARE(test::readAll(target), QByteArray("before"));
        // Nothing is left beside the target.
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), (exists || saved) ? 1 : 0);
        QCOMPARE(m_env.prompts.messageCount(), exists ? 1 : 0);
    }

    void chooseStyle()
    {
        QVERIFY(exportHtml({1}, optionsOf("N-------")).ok);
        QVERIFY(PreviewCommands::chooseStyle("Blue"));
        QCOMPARE(getSetting("Css"), QStringLiteral("Blue"));
        QVERIFY(latin1(HtmlExport::outputPath()).contains("/Blue.css\""));
        QFile::remove(HtmlExport::outputPath());
        QVERIFY(!PreviewCommands::chooseStyle("Normal"));
        QCOMPARE(m_env.prompts.messageCount(), 1);
        QVERIFY(m_env.prompts.lastMessage().contains(HtmlExport::outputPath()));
    }

    // A long export passes the writer's buffer many times, losing and adding nothing.
    void longExport()
    {
        Connection c;
        test::createBook(c, m_env.file("long.mdb"), {test::persons(1, 3000, "First", "Last")});
        setCurrentConnection(&c);
        Numbers all(3000);
        std::iota(all.begin(), all.end(), 1);
        saveSetting("List", "Last name First name");
        QVERIFY(exportText(all, optionsOf("N-------")).ok);
        setCurrentConnection(&m_book);
        QStringList names;
        for (int i = 1; i <= 3000; ++i)
            names << QStringLiteral("Last%1 First").arg(i);
        names.sort(); // the collation sorts these plain names as the code points do
        QString expected;
        for (const QString &name : names)
            expected += crlf({"-----------", name, "-----------", "", ""});
        QCOMPARE(utf8(TextExport::outputPath()), expected);
    }
};

QTEST_GUILESS_MAIN(TestExports)
#include "tst_exports.moc"
