#include "export/TextExport.h"

#include "app/PageWriter.h"
#include "app/Paths.h"
#include "app/SafeFile.h"
#include "app/Seams.h"
#include "export/ExportRows.h"

#include <QFile>

namespace velmora {

namespace {

const QString kHyphens = QStringLiteral("-----------");

} // namespace

QString TextExport::outputPath()
{
    return paths().tempFolder() + QStringLiteral("/Velmora.txt");
}

FileResult TextExport::exportText(const std::vector<int> &contactnrs, const ExportOptions &options,
                                  const ExportProgress &progress)
{
    const QString path = outputPath();
    QFile::remove(path);
    const QString crlf = QStringLiteral("\r\n");
    PageWriter writer(path, PageEncoding::Locale);
    const DbError error = walkExportPersons(contactnrs, options, progress, [&](const ExportPerson &person) {
        writer.addLine(kHyphens);
        if (options.name)
            writer.addLine(person.name);
        if (options.dateOfBirth && !person.dateOfBirth.isEmpty())
            writer.addLine(person.dateOfBirth);
        // Line breaks inside a value become CR LF like every other line end.
        if (options.address && !person.address.isEmpty())
            writer.addLine(replaceLineBreaks(person.address, crlf));
        for (const ExportEntry &phone : person.phones)
            writer.addLine(phone.text(options.phoneDescription));
        for (const ExportEntry &email : person.emails)
            writer.addLine(email.text(options.emailDescription));
        if (options.note && !person.note.isEmpty())
            writer.addLine(replaceLineBreaks(person.note, crlf));
        writer.addLine(kHyphens + crlf + crlf);
    });
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

FileResult TextExport::saveTextExport(const QString &target)
{
    return copyFileSafely(outputPath(), target);
}

} // namespace velmora
