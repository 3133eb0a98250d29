#pragma once

#include "store/Engine.h"

#include <QString>
#include <vector>

namespace velmora {

// One person of a two-list picker: the number and the text the lists show
// (and give as tool tip). Its person key is personKey(contactnr).
struct PickerPerson {
    int contactnr = 0;
    QString text;
};

// The display name of a person: the trimmed first and last names joined by a
// blank, in the order of the setting "List".
QString pickerDisplayName(const QString &firstName, const QString &lastName, bool firstNameFirst);

// The statement that lists every person of the book for a picker: in the name
// order of the setting "List", equal names by their number.
QString pickerPersonStatement(const QString &listSetting);

// Every person of the open book, in the order of pickerPersonStatement.
DbError loadPickerPersons(const QString &listSetting, std::vector<PickerPerson> &persons);

} // namespace velmora
