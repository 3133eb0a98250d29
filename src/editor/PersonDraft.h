#pragma once

#include "editor/ListEntry.h"

#include <QList>
#include <QString>

namespace velmora {

// A person as the editor hands it over for saving, or as it is read back for
// editing. Texts are as typed; blanks around them are dropped when written.
struct PersonDraft {
    QString firstName;
    QString lastName;
    // The date of birth as it goes into a statement: "Null", or a literal
    // "#mm/dd/yyyy#" (see dateOfBirthToSql).
    QString dateOfBirth = QStringLiteral("Null");
    QString address;
    QString note;
    QList<ListEntry> phones; // in list order: [Order] 1, 2, ...
    QList<ListEntry> emails;
};

} // namespace velmora
