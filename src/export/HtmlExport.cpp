#include "export/HtmlExport.h"

#include "app/PageWriter.h"
#include "app/Paths.h"
#include "app/ProgramInfo.h"
#include "app/SafeFile.h"
#include "app/Seams.h"
#include "app/Website.h"
#include "export/ExportRows.h"
#include "mainwindow/NoteLinks.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace velmora {

namespace {

const QString kNbsp = QStringLiteral("&nbsp;");
const QString kLinkStart = QStringLiteral("\t<link");
// A line break inside a value: the break, then the indent of the value line.
const QString kValueBreak = QStringLiteral("<br />\r\n\t\t\t");

QString tabs(int count)
{
    return QString(count, QLatin1Char('\t'));
}

// The lines of a file in the private temporary folder, read as ISO-8859-1,
// each without its CR LF.
bool readLatin1Lines(const QString &path, QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromLatin1(file.readAll());
    lines = text.split(QStringLiteral("\r\n"));
    // The last line ends with CR LF too.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

void writeEntries(PageWriter &writer, const char *entryClass, const std::vector<ExportEntry> &entries,
                  bool withDescription)
{
    const QString open =
        tabs(3) + QStringLiteral("<div class=\"") + QLatin1String(entryClass) + QStringLiteral("\">");
    const QString close = tabs(3) + QStringLiteral("</div>");
    if (entries.empty()) {
        writer.addLine(open);
        writer.addLine(tabs(4) + kNbsp);
        writer.addLine(close);
        return;
    }
    for (const ExportEntry &entry : entries) {
        writer.addLine(open);
        writer.addLine(tabs(4) + HtmlExport::documentText(entry.text(withDescription)));
        writer.addLine(close);
    }
}

// A detail: its div, the value line (or &nbsp; for none), the end.
void writeDetail(PageWriter &writer, const char *detailClass, const QString &value)
{
    writer.addLine(tabs(2) + QStringLiteral("<div class=\"") + QLatin1String(detailClass) +
                   QStringLiteral("\">"));
    writer.addLine(tabs(3) + (value.isEmpty() ? kNbsp : value));
    writer.addLine(tabs(2) + QStringLiteral("</div>"));
}

void writeHead(PageWriter &writer)
{
    const QString site = QUrl(websiteAddress()).host();
    writer.addLine(QStringLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>"));
    writer.addLine(QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\""));
    writer.addLine(QStringLiteral("\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">"));
    writer.addLine(QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\">"));
    writer.addLine(QStringLiteral("<head>"));
    writer.addLine(QStringLiteral("\t<title>"));
    writer.addLine(QStringLiteral("\t\tVelmora"));
    writer.addLine(QStringLiteral("\t</title>"));
    writer.addLine(QStringLiteral("\t<meta name=\"keywords\" content=\"") + site +
                   QStringLiteral(", Velmora, Freeware\" />"));
    writer.addLine(QStringLiteral("\t<meta name=\"description\" content=\"") + site +
                   QStringLiteral(", Velmora, Freeware\" />"));
    writer.addLine(QStringLiteral("\t<meta name=\"author\" content=\"The Velmora developers\" />"));
    writer.addLine(QStringLiteral("\t<meta name=\"generator\" content=\"Velmora ") + programVersion() +
                   QStringLiteral("\" />"));
    writer.addLine(HtmlExport::linkLine());
    writer.addLine(QStringLiteral("</head>"));
    writer.addLine(QStringLiteral("<body>"));
}

void writePerson(PageWriter &writer, const ExportPerson &person, const ExportOptions &options)
{
    writer.addLine(QStringLiteral("\t<div class=\"person\">"));
    if (options.name)
        writeDetail(writer, "name", HtmlExport::documentText(person.name));
    if (options.dateOfBirth)
        writeDetail(writer, "dateofbirth", person.dateOfBirth);
    if (options.address)
        writeDetail(writer, "address",
                    replaceLineBreaks(HtmlExport::documentText(person.address), kValueBreak));
    if (options.phone) {
        writer.addLine(QStringLiteral("\t\t<div class=\"phone\">"));
        writeEntries(writer, "phonenumber", person.phones, options.phoneDescription);
        writer.addLine(QStringLiteral("\t\t</div>"));
    }
    if (options.email) {
        writer.addLine(QStringLiteral("\t\t<div class=\"email\">"));
        writeEntries(writer, "emailaddress", person.emails, options.emailDescription);
        writer.addLine(QStringLiteral("\t\t</div>"));
    }
    if (options.note)
        writeDetail(
            writer, "note",
            replaceLineBreaks(HtmlExport::makeLinks(HtmlExport::documentText(person.note)), kValueBreak));
    writer.addLine(QStringLiteral("\t</div>"));
}

// Text of a failed export for the user: what failed and why.
FileResult failure(const QString &what, const QString &why)
{
    return FileResult{false, what + QStringLiteral("\r\n") + why};
}

} // namespace

QString HtmlExport::outputPath()
{
    return paths().tempFolder() + QStringLiteral("/Velmora.htm");
}

QString HtmlExport::styleFolder()
{
    return paths().dataFolder(QStringLiteral("Css"));
}

QString HtmlExport::styleSheetPath(const QString &style)
{
    return styleFolder() + QLatin1Char('/') + style + QStringLiteral(".css");
}

QStringList HtmlExport::styleNames()
{
    QStringList names = QDir(styleFolder()).entryList({QStringLiteral("*.css")}, QDir::Files, QDir::Name);
    for (QString &name : names)
        name.chop(4);
    return names;
}

QString HtmlExport::currentStyle()
{
    const QString style = getSetting(QStringLiteral("Css"));
    if (!style.isEmpty() && QFileInfo(styleSheetPath(style)).isFile())
        return style;
    saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
    return QStringLiteral("Normal");
}

QString HtmlExport::linkLine()
{
    // A file URL finds the sheet from the temporary folder in every browser,
    // whatever characters the program's folder holds.
    const QString href = QUrl::fromLocalFile(styleSheetPath(currentStyle())).toString(QUrl::FullyEncoded);
    return QStringLiteral("\t<link href=\"") + documentText(href) +
           QStringLiteral("\" rel=\"stylesheet\" type=\"text/css\" media=\"all\" />");
}

QString HtmlExport::documentText(const QString &value)
{
    const QString escaped = escapeXml(value);
    // Only ASCII in the document: a browser that ignores the declared
    // encoding still shows every character.
    const bool ascii =
        std::all_of(escaped.cbegin(), escaped.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return escaped;
    QString out;
    out.reserve(escaped.size() + 16);
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c.unicode() < 0x80) {
            out += c;
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < escaped.size() && escaped.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, escaped.at(i + 1));
            ++i;
        } else if (c.isSurrogate()) {
            code = 0xFFFD; // half a pair is no character
        }
        out += QStringLiteral("&#") + QString::number(quint32(code)) + QLatin1Char(';');
    }
    return out;
}

QString HtmlExport::makeLinks(const QString &escapedText)
{
    auto separates = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    };
    QString out;
    qsizetype i = 0;
    const qsizetype n = escapedText.size();
    while (i < n) {
        if (separates(escapedText.at(i))) {
            out += escapedText.at(i++);
            continue;
        }
        qsizetype end = i;
        while (end < n && !separates(escapedText.at(end)))
            ++end;
        const QString word = escapedText.mid(i, end - i);
        if (isLinkWord(word))
            out +=
                QStringLiteral("<a href=\"") + word + QStringLiteral("\">") + word + QStringLiteral("</a>");
        else
            out += word;
        i = end;
    }
    return out;
}

FileResult HtmlExport::exportHtml(const std::vector<int> &contactnrs, const ExportOptions &options,
                                  const ExportProgress &progress)
{
    const QString path = outputPath();
    QFile::remove(path);
    PageWriter writer(path, PageEncoding::Latin1WithReferences);
    writeHead(writer);
    const DbError error = walkExportPersons(contactnrs, options, progress, [&](const ExportPerson &person) {
        writePerson(writer, person, options);
    });
    writer.addLine(QStringLiteral("</body>"));
    writer.addLine(QStringLiteral("</html>"));
    const bool written = writer.flush() && writer.ok();
    if (progress.finish)
        progress.finish();
    if (error) {
        QFile::remove(path);
        return FileResult{false, error.description};
    }
    if (!written) {
        QFile::remove(path);
        return FileResult{false, writer.errorText()};
    }
    return {};
}

FileResult HtmlExport::restyleHtmlExport(const ExportProgress &progress)
{
    const QString path = outputPath();
    const QString old = paths().tempFolder() + QStringLiteral("/VelmoraOld.htm");
    QFile::remove(old);
    if (!QFile::rename(path, old))
        return failure(T("The export could not be read:"), path);
    QStringList lines;
    if (!readLatin1Lines(old, lines)) {
        QFile::rename(old, path);
        return failure(T("The export could not be read:"), path);
    }
    if (progress.start)
        progress.start(int(lines.size()));
    const QString link = linkLine();
    PageWriter writer(path, PageEncoding::Latin1WithReferences);
    for (const QString &line : std::as_const(lines)) {
        writer.addLine(line.startsWith(kLinkStart) ? link : line);
        if (progress.step)
            progress.step();
    }
    const bool written = writer.flush() && writer.ok();
    if (progress.finish)
        progress.finish();
    if (!written) {
        // The export as it was rather than half of it.
        QFile::remove(path);
        QFile::rename(old, path);
        return FileResult{false, writer.errorText()};
    }
    QFile::remove(old);
    return {};
}

FileResult HtmlExport::saveHtmlExport(const QString &target, const ExportProgress &progress)
{
    const QString sheetPath = styleSheetPath(getSetting(QStringLiteral("Css")));
    QFile sheet(sheetPath);
    if (!sheet.open(QIODevice::ReadOnly))
        return failure(T("The style sheet could not be read:"), sheetPath);
    QStringList sheetLines = QString::fromUtf8(sheet.readAll()).split(QLatin1Char('\n'));
    sheet.close();
    if (!sheetLines.isEmpty() && sheetLines.last().isEmpty())
        sheetLines.removeLast();
    QStringList lines;
    if (!readLatin1Lines(outputPath(), lines))
        return failure(T("The export could not be read:"), outputPath());

    // The copy is made in the private folder first; only a complete copy
    // replaces the target.
    const QString copy = paths().tempFolder() + QStringLiteral("/VelmoraSaved.htm");
    QFile::remove(copy);
    if (progress.start)
        progress.start(int(lines.size()));
    PageWriter writer(copy, PageEncoding::Latin1WithReferences);
    for (const QString &line : std::as_const(lines)) {
        if (line.startsWith(kLinkStart)) {
            writer.addLine(QStringLiteral("\t<style type=\"text/css\">"));
            for (QString sheetLine : std::as_const(sheetLines)) {
                if (sheetLine.endsWith(QLatin1Char('\r')))
                    sheetLine.chop(1);
                writer.addLine(QStringLiteral("\t\t") + sheetLine);
            }
            writer.addLine(QStringLiteral("\t</style>"));
        } else {
            writer.addLine(line);
        }
        if (progress.step)
            progress.step();
    }
    const bool written = writer.flush() && writer.ok();
    if (progress.finish)
        progress.finish();
    if (!written) {
        QFile::remove(copy);
        return FileResult{false, writer.errorText()};
    }
    const FileResult result = copyFileSafely(copy, target);
    QFile::remove(copy);
    return result;
}

} // namespace velmora
