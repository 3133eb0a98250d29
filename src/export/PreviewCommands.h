#pragma once

#include "app/Prompts.h"
#include "app/SafeFile.h"
#include "export/ExportFormat.h"
#include "export/ExportOptions.h"

#include <QString>
#include <vector>

namespace velmora {

// What the preview windows do, without the windows: their temporary file,
// the Save command and the choice of style. Questions and messages go through
// the prompts.
class PreviewCommands {
public:
    // The temporary file a format's export is written to and shown from.
    static QString outputPath(ExportFormat format);
    // Writes the export of the persons of the numbers in the format to its
    // temporary file.
    static FileResult exportPersons(ExportFormat format, const std::vector<int> &contactnrs,
                                    const ExportOptions &options, const ProgressCallback &progress = {});
    // The Save dialog: title, filter, remembered export folder and the
    // proposed name "Velmora" + today as yyyymmdd + the format's extension.
    static FileDialog saveDialog(ExportFormat format);
    // The Save command: the dialog, the folder remembered, the replace
    // question for an existing file (No ends the command, and the file stays
    // as it was), then the copy. A failure is told to the user. True when
    // the copy was written.
    static bool save(ExportFormat format, const ProgressCallback &progress = {});
    // A style picked in the XHTML preview: remembered in the setting "Css"
    // and the temporary document rewritten to link it. A failure is told to
    // the user; false then.
    static bool chooseStyle(const QString &style, const ProgressCallback &progress = {});

    // The file the E-mail command attaches: "Velmora" + today as yyyymmdd
    // with the format's extension, in the private temporary folder; for
    // XHTML the copy with the style sheet inside, as Save writes it.
    static QString attachmentPath(ExportFormat format);
    // The E-mail command: the export attached to a message to the address,
    // handed to the mail service (the desktop's mail program is offered when
    // there is no sendmail). The address is remembered in the setting
    // "Email". Failures are told to the user; true when the message went.
    static bool email(ExportFormat format, const QString &to, const QString &text);
};

} // namespace velmora
