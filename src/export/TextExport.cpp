#include "export/TextExport.h"

#include "app/PageWriter.h"
#include "app/Paths.h"
#include "app/SafeFile.h"
#include "app/Seams.h"
#include "export/ExportRows.h"
#include "export/LineBatch.h"

#include <QFile>

namespace velmora {

namespace {

const QLatin1String kHyphens("-----------");

} // namespace

QString TextExport::outputPath()
{
    return paths().tempFolder() + QStringLiteral("/Velmora.txt");
}

FileResult TextExport::exportText(const std::vector<int> &contactnrs, const ExportOptions &options,
                                  const ProgressCallback &progress)
{
    const QString path = outputPath();
    QFile::remove(path);
    const QString crlf = QStringLiteral("\r\n");
    PageWriter writer(path, PageEncoding::Locale);
    DbError error;
    {
        LineBatch out(writer);
        QString &text = out.text();
        error = walkExportPersons(contactnrs, options, progress, [&](const ExportPerson &person) {
            text += kHyphens;
            out.endLine();
            if (options.name) {
                text += person.name;
                out.endLine();
            }
            if (options.dateOfBirth && !person.dateOfBirth.isEmpty()) {
                text += person.dateOfBirth;
                out.endLine();
            }
            // Line breaks inside a value become CR LF like every other line end.
            if (options.address && !person.address.isEmpty()) {
                text += replaceLineBreaks(person.address, crlf);
                out.endLine();
            }
            for (const ExportEntry &phone : person.phones) {
                text += phone.text(options.phoneDescription);
                out.endLine();
            }
            for (const ExportEntry &email : person.emails) {
                text += email.text(options.emailDescription);
                out.endLine();
            }
            if (options.note && !person.note.isEmpty()) {
                text += replaceLineBreaks(person.note, crlf);
                out.endLine();
            }
            text += kHyphens;
            out.endLine();
            out.endLine();
            out.endLine();
        });
    }
    return finishExportFile(writer, path, error);
}

FileResult TextExport::saveTextExport(const QString &target)
{
    return copyFileSafely(outputPath(), target);
}

} // namespace velmora
