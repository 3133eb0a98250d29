#pragma once

#include "app/PageWriter.h"
#include "app/SafeFile.h"
#include "export/ExportOptions.h"
#include "store/Engine.h"

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace velmora {

// The three statements of an export: persons, their phones and their e-mail
// addresses, all in the person order of the setting "List" (equal names by
// number), for the persons of the given numbers.
struct ExportStatements {
    QString persons;
    QString phones;
    QString emails;
};
ExportStatements exportStatements(const QString &listSetting, const std::vector<int> &contactnrs);

// One number or address of a person with its description, both trimmed.
struct ExportEntry {
    QString value;
    QString description;
    // The value, or the value, " (", the description and ")" when wanted
    // and the description is not blank.
    QString text(bool withDescription) const;
};

// One person as the exporters write it: names, address and note trimmed,
// the date of birth in the layout of the setting "Date" (empty when none;
// an unknown layout counts as dd/mm/yyyy), the phones and e-mail addresses in
// their order (only those the options ask for).
struct ExportPerson {
    int contactnr = 0;
    QString name; // in the order of the setting "List"
    QString dateOfBirth;
    QString address;
    QString note;
    std::vector<ExportEntry> phones;
    std::vector<ExportEntry> emails;
};

// Reads the persons of the numbers from the open book and hands them to
// visit one by one, in export order, reporting the persons done of all to
// progress. The phones and e-mail
// addresses are read only when the options ask for them.
DbError walkExportPersons(const std::vector<int> &contactnrs, const ExportOptions &options,
                          const ProgressCallback &progress,
                          const std::function<void(const ExportPerson &)> &visit);

// Ends an export file: the last flush, then the outcome. A failed walk or
// write removes the file, so a torn export is never shown or saved.
FileResult finishExportFile(PageWriter &writer, const QString &path, const DbError &error);

// A line break of any kind (CR LF, CR alone, LF alone) in a text, each
// replaced by the given text.
QString replaceLineBreaks(const QString &text, const QString &replacement);

} // namespace velmora
