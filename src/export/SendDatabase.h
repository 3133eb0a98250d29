#pragma once

#include <QString>

namespace velmora {

// Mailing the open book as an attachment.

// The address of the program's page on the publisher's web site.
QString programPageAddress();
// T("Velmora database") + ": " + the file name of the book.
QString sendDatabaseSubject(const QString &path);
// The text the send window proposes: the subject line, a blank line, "---",
// the program and its version, and the program's page (lines ended by CR LF).
QString sendDatabaseDescription(const QString &path);

// Sends the book at path to the recipient: remembers the address (setting
// "Email"), closes the book so that its file is complete, hands the message
// with the file attached to the mail service and opens the book again (a
// protected book with the password in memory, without asking). A failure is
// shown and logged as "Send e-mail error: " + number + ": " + text; the book
// is open again in every case. Without sendmail the desktop's mail composer
// is offered. A recipient that is not one plain address is refused with a
// message before anything else happens: false, the window stays open. True
// when the window closes.
bool sendDatabase(const QString &to, const QString &description, const QString &path);

} // namespace velmora
