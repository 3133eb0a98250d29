#pragma once

#include <QString>

namespace velmora {

// The texts the main window's copy, mail and profile commands hand on.

// A person's row copied: its text and other name, each trimmed, one blank
// between (the full name in display order).
QString personCopyText(const QString &text, const QString &subItem);
// A text box copied: the selected text, or the whole text when nothing is
// selected.
QString boxCopyText(const QString &text, const QString &selected);
// A phone or e-mail row carries a description: its text, trimmed, is longer
// than its bare value, trimmed.
bool rowHasDescription(const QString &text, const QString &value);
// The mail link of an address.
QString mailtoLink(const QString &address);

// An e-mail row names a provider with a member profile page: its text,
// trimmed and lower-cased, contains "hotmail", "msn" or "yahoo".
bool mentionsProfileProvider(const QString &rowText);
// The profile page for a row: for "hotmail" or "msn" the MSN member page of
// the whole address, otherwise the Yahoo page of the address's user name.
QString providerProfileLink(const QString &rowText, const QString &address);
QString msnProfileBase();
QString yahooProfileBase();

} // namespace velmora
