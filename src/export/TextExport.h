#pragma once

#include "app/SafeFile.h"
#include "export/ExportOptions.h"

#include <QString>
#include <vector>

namespace velmora {

// The plain-text export: Velmora.txt in the private temporary folder, in the
// user's locale encoding with CR LF line ends. Each person is framed by rows
// of eleven hyphens and followed by two empty lines; between them one line per
// ticked detail that has a value.
class TextExport {
public:
    static QString outputPath();
    // Replaces the output file with the export of the persons of the numbers
    // (in the person order of the setting "List", whatever the order given).
    static FileResult exportText(const std::vector<int> &contactnrs, const ExportOptions &options,
                                 const ProgressCallback &progress = {});
    // Copies the output file to the target: written beside it and renamed
    // into place, so a failure leaves the target as it was.
    static FileResult saveTextExport(const QString &target);
};

inline FileResult exportText(const std::vector<int> &contactnrs, const ExportOptions &options,
                             const ProgressCallback &progress = {})
{
    return TextExport::exportText(contactnrs, options, progress);
}

} // namespace velmora
