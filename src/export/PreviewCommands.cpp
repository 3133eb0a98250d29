#include "export/PreviewCommands.h"

#include "app/Clock.h"
#include "app/Paths.h"
#include "app/Seams.h"
#include "export/HtmlExport.h"
#include "export/Mailer.h"
#include "export/TextExport.h"
#include "interchange/VcardExport.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QFile>
#include <QFileInfo>

namespace velmora {

namespace {

bool isVcard(ExportFormat format)
{
    return format == ExportFormat::Vcard || format == ExportFormat::Vcard4;
}

// The vCard export's file in the private temporary folder (one for each
// version: both previews may be open).
QString vcardPath(ExportFormat format)
{
    return paths().tempFolder() + (format == ExportFormat::Vcard4 ? QStringLiteral("/Velmora4.vcf")
                                                                  : QStringLiteral("/Velmora.vcf"));
}

} // namespace

QString PreviewCommands::outputPath(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Text:
        return TextExport::outputPath();
    case ExportFormat::Vcard:
    case ExportFormat::Vcard4:
        return vcardPath(format);
    case ExportFormat::Html:
        break;
    }
    return HtmlExport::outputPath();
}

FileResult PreviewCommands::exportPersons(ExportFormat format, const std::vector<int> &contactnrs,
                                          const ExportOptions &options, const ProgressCallback &progress)
{
    switch (format) {
    case ExportFormat::Text:
        return TextExport::exportText(contactnrs, options, progress);
    case ExportFormat::Vcard:
    case ExportFormat::Vcard4: {
        VcardFields fields;
        fields.dateOfBirth = options.dateOfBirth;
        fields.address = options.address;
        fields.phones = options.phone;
        fields.phoneDescriptions = options.phoneDescription;
        fields.emails = options.email;
        fields.emailDescriptions = options.emailDescription;
        fields.note = options.note;
        return VcardExport::exportPersons(QList<int>(contactnrs.begin(), contactnrs.end()),
                                          format == ExportFormat::Vcard4 ? VcardWriter::Version::V40
                                                                         : VcardWriter::Version::V30,
                                          vcardPath(format), fields);
    }
    case ExportFormat::Html:
        break;
    }
    return HtmlExport::exportHtml(contactnrs, options, progress);
}

FileDialog PreviewCommands::saveDialog(ExportFormat format)
{
    FileDialog dialog;
    dialog.title = T("Save");
    dialog.startFolder = getExportDirectory();
    const QString stem = QStringLiteral("Velmora") + clock().today().toString(QStringLiteral("yyyyMMdd"));
    switch (format) {
    case ExportFormat::Text:
        dialog.filter = QStringLiteral("TXT (*.txt)|*.txt");
        dialog.fileName = stem + QStringLiteral(".txt");
        dialog.defaultSuffix = QStringLiteral("txt");
        break;
    case ExportFormat::Html:
        dialog.filter = QStringLiteral("(x)html (*.htm;*.html)|*.htm;*.html");
        dialog.fileName = stem + QStringLiteral(".htm");
        dialog.defaultSuffix = QStringLiteral("htm");
        break;
    case ExportFormat::Vcard:
    case ExportFormat::Vcard4:
        dialog.filter = QStringLiteral("vCard (*.vcf)|*.vcf");
        dialog.fileName = stem + QStringLiteral(".vcf");
        dialog.defaultSuffix = QStringLiteral("vcf");
        break;
    }
    return dialog;
}

bool PreviewCommands::save(ExportFormat format, const ProgressCallback &progress)
{
    const QString target = prompts().saveFile(saveDialog(format));
    if (target.isEmpty())
        return false;
    saveExportDirectory(target);
    if (QFileInfo::exists(target)) {
        const QString question = T("File already exists:") + QStringLiteral("\r\n") + target +
                                 QStringLiteral("\r\n\r\n") + T("Replace") + QLatin1Char('?');
        if (prompts().message(question, T("Error"), Icon::Question, Buttons::YesNo) != Answer::Yes)
            return false;
    }
    // The existing file is replaced only by a complete copy.
    FileResult result;
    switch (format) {
    case ExportFormat::Text:
        result = TextExport::saveTextExport(target);
        break;
    case ExportFormat::Html:
        result = HtmlExport::saveHtmlExport(target, progress);
        break;
    case ExportFormat::Vcard:
    case ExportFormat::Vcard4:
        result = copyFileSafely(vcardPath(format), target);
        break;
    }
    if (!result.ok)
        prompts().message(result.errorText, T("Error"), Icon::Exclamation);
    return result.ok;
}

bool PreviewCommands::chooseStyle(const QString &style, const ProgressCallback &progress)
{
    saveSetting(QStringLiteral("Css"), style);
    const FileResult result = HtmlExport::restyleHtmlExport(progress);
    if (!result.ok)
        prompts().message(result.errorText, T("Error"), Icon::Exclamation);
    return result.ok;
}

QString PreviewCommands::attachmentPath(ExportFormat format)
{
    const QString stem = paths().tempFolder() + QStringLiteral("/Velmora") +
                         clock().today().toString(QStringLiteral("yyyyMMdd"));
    if (isVcard(format))
        return stem + QStringLiteral(".vcf");
    return stem + (format == ExportFormat::Text ? QStringLiteral(".txt") : QStringLiteral(".htm"));
}

bool PreviewCommands::email(ExportFormat format, const QString &to, const QString &text)
{
    const QString attachment = attachmentPath(format);
    FileResult result;
    switch (format) {
    case ExportFormat::Text:
        result = TextExport::saveTextExport(attachment);
        break;
    case ExportFormat::Html:
        result = HtmlExport::saveHtmlExport(attachment);
        break;
    case ExportFormat::Vcard:
    case ExportFormat::Vcard4:
        result = copyFileSafely(vcardPath(format), attachment);
        break;
    }
    if (!result.ok) {
        prompts().message(result.errorText, T("Error"), Icon::Exclamation);
        return false;
    }
    saveSetting(QStringLiteral("Email"), to);
    MailMessage message;
    message.to = to;
    message.subject = T("Export") + QStringLiteral(": ") + QFileInfo(attachment).fileName();
    message.text = text;
    message.attachments = {attachment};
    // The desktop's mail program may read the file after this returns: it
    // stays in the private folder until the program ends.
    return sendMailReporting(message);
}

} // namespace velmora
