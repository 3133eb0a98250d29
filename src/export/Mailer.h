#pragma once

#include "app/MailTransport.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// A message to one recipient: a subject, a plain text and any number of
// files attached under their file names.
struct MailMessage {
    QString to;
    QString subject;
    QString text;
    QStringList attachments; // file paths
};

// The recipient as the message will carry it: one plain address
// (local@domain), blanks around it removed, a non-ASCII domain in its ASCII
// form (a non-ASCII local part stays: mail servers that speak SMTPUTF8
// deliver it). Empty when the text is anything else: no second address, no name,
// no line break, nothing that a header could be made of.
QString plainRecipient(const QString &text);

// Sends a message through the mail transport seam: checks the recipient,
// reads the attachments, builds the MIME message and hands it over.
// kMailNoSendmail is answered before any file is read.
MailError sendMail(const MailMessage &message);

// Opens the desktop's mail composer (xdg-email) with the recipient, subject,
// text and attachments filled in: the way out when no sendmail is installed,
// and a way to attach files to a message the user addresses (an empty
// recipient leaves the address field to the user).
MailError composeMail(const MailMessage &message);

// sendMail() with its failures told to the user: a recipient that is not
// one address is refused with a message; when no sendmail is installed the
// desktop's mail composer is offered; any other failure is shown and logged
// as "Send e-mail error: " + number + ": " + text. True when the message was
// sent or handed to the composer.
bool sendMailReporting(const MailMessage &message);

// The building blocks of the message, open for tests and benchmarks.
namespace mime {

// The whole message as `sendmail -t -i` reads it (lines end in LF).
// contents holds the bytes of each attachment, in the order of
// message.attachments; message.to must be a plainRecipient().
QByteArray buildMessage(const MailMessage &message, const std::vector<QByteArray> &contents,
                        const QDateTime &date, const QByteArray &messageId, const QByteArray &boundary);

// A header field's text (after "Name: "), folded to lines of at most 78
// characters, as RFC 2047 encoded words when it is not plain ASCII. Control
// characters become blanks, so no text ever starts a header of its own.
QByteArray headerText(const QString &text, int nameLength);
// "Sun, 06 Dec 2026 10:00:00 +0100"
QByteArray dateText(const QDateTime &date);
// The parameters of an attachment's Content-Type and Content-Disposition
// for its file name (RFC 2231 for anything but plain ASCII).
QByteArray contentTypeName(const QString &fileName);
QByteArray dispositionFileName(const QString &fileName);
// Base64 in lines of 76 characters, each ended by LF.
QByteArray base64Lines(const QByteArray &data);
// Quoted-printable of UTF-8 text with LF line ends.
QByteArray quotedPrintable(const QByteArray &utf8);
// A new unique Message-ID ("<...@host>") and multipart boundary.
QByteArray newMessageId();
QByteArray newBoundary();

} // namespace mime

} // namespace velmora
