#pragma once

#include <QString>

namespace velmora {

// Questions about the machine and the user. Each is a small function without
// state; folders are returned with a trailing "/".

// The user's documents folder, always ending with "/".
QString getPersonalFolder();
// The log-on name of the current user, or "Unknown".
QString getWindowsUserName();
// The numeric identifier of the user's locale (1043 for Dutch (Netherlands)).
quint32 getDefaultLocale();
// Locale information of the given kind for a locale identifier, or the empty
// text: 3 the abbreviated language name, 2 the language name in the user's
// language, 4 the language's own name, 0x1001 the English language name,
// 0x1002 the English country name, 0x59 the ISO 639 and 0x5A the ISO 3166 code.
QString getLocaleString(quint32 localeIdentifier, int type);
// The three-letter abbreviated language name of the user's locale (ENU, NLD...).
QString getLanguageAbbreviation();

// The HTTP proxy as host, colon, port (from http_proxy or HTTP_PROXY), or the
// empty text.
QString getProxy();
// The proxy of a proxy server setting: empty when not enabled; a setting
// without "=" is one proxy for all protocols; otherwise the part after
// "http=" up to the next ";", or empty when there is no "http=". A URL such as
// "http://user@host:3128/" gives "host:3128".
QString httpProxyFromSetting(bool enabled, const QString &proxyServer);
// The part of a proxy text before the first ":" (the whole text without one).
QString proxyHost(const QString &proxy);
// The part of a proxy text after the first ":" (the whole text without one).
QString proxyPort(const QString &proxy);

// Number of installed printers. The windows layer installs the counter (the
// printer list needs the print support module); without one the answer is 0.
int printerCount();
using PrinterCounter = int (*)();
void setPrinterCounter(PrinterCounter counter);

// True when the path names a file (a link to a file counts). Folders and
// special files are not found; an empty path is false. "*" and "?" have no
// special meaning, and names starting with "." are found like any other.
bool fileExists(const QString &path);

// Folder of the database file dialogs: the setting "Database directory" or
// the documents folder.
QString getDatabaseDirectory();
// Remembers the folder of a chosen file (the path up to its last "/").
void saveDatabaseDirectory(const QString &path);
// Folder of the export save dialogs: the setting "Export directory" or the
// documents folder.
QString getExportDirectory();
void saveExportDirectory(const QString &path);

} // namespace velmora
