#pragma once

#include "app/SafeFile.h"
#include "export/ExportOptions.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// The XHTML export: Velmora.htm in the private temporary folder, an XHTML 1.1
// document declared ISO-8859-1 that links the style sheet named by the
// setting "Css" from the program's Css folder. Every value is escaped, and
// every character beyond ASCII is written as a numeric character reference,
// so the document is well-formed and reads the same in any browser.
class HtmlExport {
public:
    static QString outputPath();
    // The folder of the style sheets and the sheet of a style name.
    static QString styleFolder();
    static QString styleSheetPath(const QString &style);
    // The style names: the *.css files of the style folder without ".css",
    // sorted by name.
    static QStringList styleNames();
    // The style the setting "Css" names, made "Normal" (and stored) when its
    // sheet is missing.
    static QString currentStyle();
    // The line that links the current style's sheet: a tab, then a link
    // element whose address is the sheet's file URL.
    static QString linkLine();

    // Replaces the output file with the export of the persons of the numbers.
    static FileResult exportHtml(const std::vector<int> &contactnrs, const ExportOptions &options,
                                 const ProgressCallback &progress = {});
    // Rewrites the output file so that it links the sheet of the style now
    // named by the setting "Css". On failure the file stays as it was.
    static FileResult restyleHtmlExport(const ProgressCallback &progress = {});
    // Writes a copy of the output file to the target with the current style
    // sheet inside it (a style element instead of the link). The copy is
    // written beside the target and renamed into place: a failure, or a style
    // sheet that is gone, leaves the target as it was.
    static FileResult saveHtmlExport(const QString &target, const ProgressCallback &progress = {});

    // Text already escaped for the document with every link word (a word,
    // between blanks and line breaks, that passes the note links' test) in an
    // anchor to itself. Each occurrence gets exactly one anchor.
    static QString makeLinks(const QString &escapedText);
    // A value as document text: "&", "<", ">" and '"' escaped, characters
    // beyond ASCII as numeric character references.
    static QString documentText(const QString &value);
};

inline FileResult exportHtml(const std::vector<int> &contactnrs, const ExportOptions &options,
                             const ProgressCallback &progress = {})
{
    return HtmlExport::exportHtml(contactnrs, options, progress);
}
inline FileResult restyleHtmlExport(const ProgressCallback &progress = {})
{
    return HtmlExport::restyleHtmlExport(progress);
}
inline FileResult saveHtmlExport(const QString &target, const ProgressCallback &progress = {})
{
    return HtmlExport::saveHtmlExport(target, progress);
}
inline QString makeLinks(const QString &escapedText)
{
    return HtmlExport::makeLinks(escapedText);
}

} // namespace velmora
