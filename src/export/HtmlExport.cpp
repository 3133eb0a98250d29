#include "export/HtmlExport.h"

#include "app/PageWriter.h"
#include "app/Paths.h"
#include "app/ProgramInfo.h"
#include "app/SafeFile.h"
#include "app/Seams.h"
#include "app/Website.h"
#include "export/ExportRows.h"
#include "export/LineBatch.h"
#include "mainwindow/NoteLinks.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <functional>

namespace velmora {

namespace {

const QLatin1String kNbsp("&nbsp;");
// A line break inside a value: the break, then the indent of the value line.
const QString kValueBreak = QStringLiteral("<br />\r\n\t\t\t");

// Hands the lines of a file to visit one by one, without their line ends,
// reading the file in large blocks. False when the file cannot be read.
bool forEachLine(const QString &path, const std::function<void(QByteArrayView)> &visit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray carry;
    while (true) {
        const QByteArray block = file.read(1 << 18);
        if (block.isEmpty())
            break;
        carry += block;
        qsizetype from = 0;
        qsizetype end;
        while ((end = carry.indexOf('\n', from)) >= 0) {
            QByteArrayView line(carry.constData() + from, end - from);
            if (line.endsWith('\r'))
                line.chop(1);
            visit(line);
            from = end + 1;
        }
        carry.remove(0, from);
    }
    if (file.error() != QFileDevice::NoError)
        return false;
    if (!carry.isEmpty())
        visit(QByteArrayView(carry).endsWith('\r') ? QByteArrayView(carry).chopped(1)
                                                   : QByteArrayView(carry));
    return true;
}

// The number of lines of a file, or -1 when it cannot be read.
int countLines(const QString &path)
{
    int count = 0;
    if (!forEachLine(path, [&count](QByteArrayView) { ++count; }))
        return -1;
    return count;
}

void appendEntries(LineBatch &out, QLatin1String entryClass, const std::vector<ExportEntry> &entries,
                   bool withDescription)
{
    auto entry = [&](QStringView value) {
        out.text() += QLatin1String("\t\t\t<div class=\"");
        out.text() += entryClass;
        out.text() += QLatin1String("\">\r\n\t\t\t\t");
        out.text() += value;
        out.text() += QLatin1String("\r\n\t\t\t</div>");
        out.endLine();
    };
    if (entries.empty())
        entry(u"&nbsp;");
    for (const ExportEntry &e : entries)
        entry(HtmlExport::documentText(e.text(withDescription)));
}

// A detail: its div, the value line (or &nbsp; for none), the end.
void appendDetail(LineBatch &out, QLatin1String detailClass, const QString &value)
{
    out.text() += QLatin1String("\t\t<div class=\"");
    out.text() += detailClass;
    out.text() += QLatin1String("\">\r\n\t\t\t");
    if (value.isEmpty())
        out.text() += kNbsp;
    else
        out.text() += value;
    out.text() += QLatin1String("\r\n\t\t</div>");
    out.endLine();
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

void appendPerson(LineBatch &out, const ExportPerson &person, const ExportOptions &options)
{
    out.text() += QLatin1String("\t<div class=\"person\">");
    out.endLine();
    if (options.name)
        appendDetail(out, QLatin1String("name"), HtmlExport::documentText(person.name));
    if (options.dateOfBirth)
        appendDetail(out, QLatin1String("dateofbirth"), person.dateOfBirth);
    if (options.address)
        appendDetail(out, QLatin1String("address"),
                     replaceLineBreaks(HtmlExport::documentText(person.address), kValueBreak));
    if (options.phone) {
        out.text() += QLatin1String("\t\t<div class=\"phone\">");
        out.endLine();
        appendEntries(out, QLatin1String("phonenumber"), person.phones, options.phoneDescription);
        out.text() += QLatin1String("\t\t</div>");
        out.endLine();
    }
    if (options.email) {
        out.text() += QLatin1String("\t\t<div class=\"email\">");
        out.endLine();
        appendEntries(out, QLatin1String("emailaddress"), person.emails, options.emailDescription);
        out.text() += QLatin1String("\t\t</div>");
        out.endLine();
    }
    if (options.note)
        appendDetail(
            out, QLatin1String("note"),
            replaceLineBreaks(HtmlExport::makeLinks(HtmlExport::documentText(person.note)), kValueBreak));
    out.text() += QLatin1String("\t</div>");
    out.endLine();
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
    const bool plain = std::all_of(value.cbegin(), value.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 && u != '&' && u != '<' && u != '>' && u != '"';
    });
    if (plain)
        return value;
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
    // Every link word holds a colon or "www".
    if (!escapedText.contains(QLatin1Char(':')) && !escapedText.contains(QLatin1String("www")))
        return escapedText;
    auto separates = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    };
    QString out;
    out.reserve(escapedText.size() + 64);
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
        const QStringView word = QStringView(escapedText).mid(i, end - i);
        // Every link word holds a colon or "www": most words are passed at once.
        const bool candidate = word.contains(QLatin1Char(':')) || word.contains(QLatin1String("www"));
        if (candidate && isLinkWord(word.toString())) {
            out += QLatin1String("<a href=\"");
            out += word;
            out += QLatin1String("\">");
            out += word;
            out += QLatin1String("</a>");
        } else {
            out += word;
        }
        i = end;
    }
    return out;
}

FileResult HtmlExport::exportHtml(const std::vector<int> &contactnrs, const ExportOptions &options,
                                  const ProgressCallback &progress)
{
    const QString path = outputPath();
    QFile::remove(path);
    PageWriter writer(path, PageEncoding::Latin1WithReferences);
    writeHead(writer);
    DbError error;
    {
        LineBatch batch(writer);
        error = walkExportPersons(contactnrs, options, progress,
                                  [&](const ExportPerson &person) { appendPerson(batch, person, options); });
    }
    writer.addLine(QStringLiteral("</body>"));
    writer.addLine(QStringLiteral("</html>"));
    return finishExportFile(writer, path, error);
}

namespace {

// Copies the lines of the document at source through the writer, each line
// that links a style sheet replaced by what link writes. progress counts the
// lines. False when the source cannot be read.
bool copyDocument(const QString &source, PageWriter &writer, const ProgressCallback &progress,
                  const std::function<void(LineBatch &)> &link)
{
    const int count = countLines(source);
    if (count < 0)
        return false;
    ProgressSteps steps(progress, count);
    LineBatch batch(writer);
    const bool read = forEachLine(source, [&](QByteArrayView line) {
        if (line.startsWith(QByteArrayView("\t<link")))
            link(batch);
        else {
            batch.text() += QLatin1String(line.data(), line.size());
            batch.endLine();
        }
        steps.step();
    });
    batch.send();
    return read;
}

} // namespace

FileResult HtmlExport::restyleHtmlExport(const ProgressCallback &progress)
{
    const QString path = outputPath();
    const QString old = paths().tempFolder() + QStringLiteral("/VelmoraOld.htm");
    QFile::remove(old);
    if (!QFile::rename(path, old))
        return failure(T("The export could not be read:"), path);
    const QString link = linkLine();
    PageWriter writer(path, PageEncoding::Latin1WithReferences);
    const bool read = copyDocument(old, writer, progress, [&link](LineBatch &batch) {
        batch.text() += link;
        batch.endLine();
    });
    const bool written = writer.flush() && writer.ok();
    if (!read || !written) {
        // The export as it was rather than half of it.
        QFile::remove(path);
        QFile::rename(old, path);
        return read ? FileResult{false, writer.errorText()}
                    : failure(T("The export could not be read:"), path);
    }
    QFile::remove(old);
    return {};
}

FileResult HtmlExport::saveHtmlExport(const QString &target, const ProgressCallback &progress)
{
    const QString sheetPath = styleSheetPath(getSetting(QStringLiteral("Css")));
    QFile sheet(sheetPath);
    if (!sheet.open(QIODevice::ReadOnly))
        return failure(T("The style sheet could not be read:"), sheetPath);
    QStringList sheetLines = QString::fromUtf8(sheet.readAll()).split(QLatin1Char('\n'));
    sheet.close();
    if (!sheetLines.isEmpty() && sheetLines.last().isEmpty())
        sheetLines.removeLast();
    if (!QFileInfo(outputPath()).isFile())
        return failure(T("The export could not be read:"), outputPath());

    // The copy is made in the private folder first; only a complete copy
    // replaces the target.
    const QString copy = paths().tempFolder() + QStringLiteral("/VelmoraSaved.htm");
    QFile::remove(copy);
    PageWriter writer(copy, PageEncoding::Latin1WithReferences);
    const bool read = copyDocument(outputPath(), writer, progress, [&sheetLines](LineBatch &batch) {
        batch.text() += QLatin1String("\t<style type=\"text/css\">");
        batch.endLine();
        for (QStringView sheetLine : std::as_const(sheetLines)) {
            if (sheetLine.endsWith(QLatin1Char('\r')))
                sheetLine.chop(1);
            batch.text() += QLatin1String("\t\t");
            batch.text() += sheetLine;
            batch.endLine();
        }
        batch.text() += QLatin1String("\t</style>");
        batch.endLine();
    });
    const bool written = writer.flush() && writer.ok();
    if (!read || !written) {
        QFile::remove(copy);
        return read ? FileResult{false, writer.errorText()}
                    : failure(T("The export could not be read:"), outputPath());
    }
    const FileResult result = copyFileSafely(copy, target);
    QFile::remove(copy);
    return result;
}

} // namespace velmora
