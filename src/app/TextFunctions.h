#pragma once

#include <QString>

namespace velmora {

// The file name part of a path: the characters after the last "/"; the whole
// text when it holds no "/"; empty when the path ends with "/".
QString fileNameOfPath(const QString &path);

// The user name part of an e-mail address: the characters before the first
// "@". An address without "@" has no user name: the result is empty.
QString emailUserName(const QString &address);

} // namespace velmora
