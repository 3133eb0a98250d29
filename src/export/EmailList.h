#pragma once

#include "export/PickerPerson.h"
#include "store/Engine.h"

#include <QString>
#include <vector>

namespace velmora {

// The e-mail address list: the first e-mail address of chosen persons in one
// line, for the address field of a mail program.

// The statement that lists the persons with a first e-mail address, in the
// name order of the setting "List".
QString emailPersonsStatement(const QString &listSetting);
// Those persons for the picker: each person's text is the display name in
// the name order, " (", the address of order 1 and ")".
DbError loadEmailPersons(const QString &listSetting, std::vector<PickerPerson> &persons);

// The statement that reads the first addresses of the chosen persons (in the
// order they were chosen) sorted by name, ties by Contactnr.
QString addressListStatement(const std::vector<int> &contactnrs, const QString &listSetting);

// The first addresses of the chosen persons in name order, trimmed and joined
// by ", " (or "; " with semicolons). Empty for no persons (or when the book
// cannot be read).
QString buildAddressList(const std::vector<int> &contactnrs, const QString &listSetting, bool semicolons);

// The setting "Separator": ";" means semicolons, anything else commas.
bool semicolonsChosen();
void saveSeparator(bool semicolons);
// The caption of a separator choice: three example addresses joined by the
// separator and a blank, then the separator and " ...".
QString separatorExample(bool semicolons);

// "mailto:" and the address list as URL text: every character but letters,
// digits, "-", ".", "_", "~", "@" and "," percent-encoded from UTF-8, so that
// "+", "&", "%", blanks and non-ASCII characters reach the mail program as
// they are.
QString mailtoUrl(const QString &addressList);

} // namespace velmora
