#include "export/Mailer.h"

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Launcher.h"
#include "app/PersonKey.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "settings/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QUrl>

namespace velmora {

namespace {

const QString kLogPrefix = QStringLiteral("Send e-mail error: ");
constexpr int kLineLimit = 78;
// UTF-8 bytes per encoded word: "=?UTF-8?B?" + 52 characters + "?=" keeps a
// folded line within 78 characters.
constexpr int kWordBytes = 39;
// Characters of one RFC 2231 section.
constexpr int kSectionLength = 60;

// A character of a local part: RFC 5322 atext, and letters and marks beyond
// ASCII (internationalised addresses).
bool isAtext(QChar c)
{
    if (c.unicode() >= 0x80)
        return (c.isLetterOrNumber() || c.isMark()) && !c.isSurrogate();
    if (c.unicode() <= 0x20 || c.unicode() == 0x7f)
        return false;
    if (c.isLetterOrNumber())
        return true;
    return QStringLiteral("!#$%&'*+/=?^_`{|}~-").contains(c);
}

bool isDomainLabel(const QByteArray &label)
{
    if (label.isEmpty() || label.size() > 63 || label.startsWith('-') || label.endsWith('-'))
        return false;
    for (const char c : label) {
        const bool ok =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

bool isPlainHeaderChar(char16_t c)
{
    return c >= 0x20 && c <= 0x7e;
}

QString withoutControls(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return out;
}

// The text cut into pieces of whole characters of at most maxBytes UTF-8
// bytes each.
std::vector<QByteArray> utf8Pieces(const QString &text, int maxBytes)
{
    std::vector<QByteArray> pieces;
    QByteArray piece;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, n).toUtf8();
        if (!piece.isEmpty() && piece.size() + bytes.size() > maxBytes) {
            pieces.push_back(piece);
            piece.clear();
        }
        piece += bytes;
        i += n;
    }
    if (!piece.isEmpty())
        pieces.push_back(piece);
    return pieces;
}

QByteArray encodedWords(const QString &text, const QByteArray &separator)
{
    QByteArray out;
    for (const QByteArray &piece : utf8Pieces(text, kWordBytes)) {
        if (!out.isEmpty())
            out += separator;
        out += "=?UTF-8?B?" + piece.toBase64() + "?=";
    }
    return out;
}

// Plain ASCII that can stand between double quotes as it is.
bool isPlainParameter(const QString &text)
{
    if (text.isEmpty() || text.contains(QLatin1String("=?")))
        return false;
    for (const QChar c : text) {
        if (!isPlainHeaderChar(c.unicode()) || c == QLatin1Char('"') || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

bool isAttrChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$&+-.^_`|~").contains(c);
}

// RFC 2231 value sections of a parameter: each a run of attribute
// characters and %XX escapes of at most kSectionLength characters.
std::vector<QByteArray> percentSections(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::vector<QByteArray> sections(1);
    for (const char c : text.toUtf8()) {
        QByteArray token;
        if (isAttrChar(c)) {
            token = QByteArray(1, c);
        } else {
            const auto b = static_cast<unsigned char>(c);
            token = QByteArray{"%"} + hex[b >> 4] + hex[b & 15];
        }
        if (sections.back().size() + token.size() > kSectionLength)
            sections.emplace_back();
        sections.back() += token;
    }
    return sections;
}

QByteArray extendedParameter(const char *name, const QString &value)
{
    const std::vector<QByteArray> sections = percentSections(value);
    if (sections.size() == 1)
        return QByteArray(name) + "*=UTF-8''" + sections.front();
    QByteArray out;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0)
            out += ";\n ";
        out += QByteArray(name) + '*' + QByteArray::number(qulonglong(i)) + "*=" + (i == 0 ? "UTF-8''" : "") +
               sections[i];
    }
    return out;
}

QByteArray hostName()
{
    QByteArray host;
    for (const char c : QSysInfo::machineHostName().toLatin1()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '.')
            host += c;
    }
    while (host.startsWith('.'))
        host.remove(0, 1);
    while (host.endsWith('.'))
        host.chop(1);
    return host.isEmpty() ? QByteArray("localhost") : host;
}

QByteArray randomHex(int bytes)
{
    QByteArray raw(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(raw.data()), bytes / 4);
    return raw.toHex();
}

QString normalLineEnds(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

// Text that can go as it is: printable ASCII and tabs, lines within the
// limit of the mail format, no line a mail program would change.
bool isSevenBitText(const QByteArray &utf8)
{
    qsizetype lineLength = 0;
    for (const char c : utf8) {
        if (c == '\n') {
            lineLength = 0;
            continue;
        }
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t') || b > 0x7e || ++lineLength > 998)
            return false;
    }
    return !utf8.startsWith("From ") && !utf8.contains("\nFrom ");
}

MailError readAttachments(const QStringList &paths, std::vector<QByteArray> &contents)
{
    contents.clear();
    contents.reserve(size_t(paths.size()));
    for (const QString &path : paths) {
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
            return {kMailFileUnreadable, T("The file cannot be read:") + QLatin1Char(' ') + path};
        contents.push_back(file.readAll());
        if (file.error() != QFileDevice::NoError)
            return {kMailFileUnreadable, T("The file cannot be read:") + QLatin1Char(' ') + path};
    }
    return {};
}

MailError badRecipient(const QString &text)
{
    return {kMailBadRecipient, T("This is not one e-mail address:") + QLatin1Char('\n') + text};
}

} // namespace

QString plainRecipient(const QString &text)
{
    const QString address = trimBlanks(text);
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != address.lastIndexOf(QLatin1Char('@')) || at == address.size() - 1)
        return {};
    const QString local = address.left(at);
    if (local.startsWith(QLatin1Char('.')) || local.endsWith(QLatin1Char('.')) ||
        local.contains(QLatin1String("..")) || local.startsWith(QLatin1Char('-')))
        return {};
    for (const QChar c : local) {
        if (!isAtext(c) && c != QLatin1Char('.'))
            return {};
    }
    const QString domain = address.mid(at + 1);
    bool ascii = true;
    for (const QChar c : domain)
        ascii = ascii && c.unicode() < 0x80;
    const QByteArray ace = ascii ? domain.toLatin1() : QUrl::toAce(domain);
    if (ace.isEmpty() || ace.size() > 253)
        return {};
    for (const QByteArray &label : ace.split('.')) {
        if (!isDomainLabel(label))
            return {};
    }
    return local + QLatin1Char('@') + QString::fromLatin1(ace);
}

MailError sendMail(const MailMessage &message)
{
    MailMessage plain = message;
    plain.to = plainRecipient(message.to);
    if (plain.to.isEmpty())
        return badRecipient(message.to);
    MailTransport &transport = mailTransport();
    if (transport.sendmailProgram().isEmpty())
        return {kMailNoSendmail, T("No sendmail program is installed.")};
    std::vector<QByteArray> contents;
    if (const MailError e = readAttachments(message.attachments, contents))
        return e;
    const QByteArray mime =
        mime::buildMessage(plain, contents, clock().now(), mime::newMessageId(), mime::newBoundary());
    contents.clear();
    return transport.deliver(mime);
}

MailError composeMail(const MailMessage &message)
{
    // No recipient leaves the address to the user in the composer.
    const QString to = plainRecipient(message.to);
    if (to.isEmpty() && !trimBlanks(message.to).isEmpty())
        return badRecipient(message.to);
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"), message.subject,
                          QStringLiteral("--body"), normalLineEnds(message.text)};
    for (const QString &path : message.attachments)
        arguments << QStringLiteral("--attach") << QFileInfo(path).absoluteFilePath();
    if (!to.isEmpty())
        arguments << to;
    if (!launcher().startProgram(QStringLiteral("xdg-email"), arguments))
        return {kMailNoComposer, T("The mail program of the desktop could not be started.")};
    return {};
}

bool sendMailReporting(const MailMessage &message)
{
    const MailError e = sendMail(message);
    if (!e)
        return true;
    if (e.number == kMailBadRecipient) {
        prompts().message(e.description, T("Error"), Icon::Exclamation);
        return false;
    }
    if (e.number != kMailNoSendmail) {
        reportError(kLogPrefix, e.number, e.description);
        return false;
    }
    const QString detail = QString::number(e.number) + QStringLiteral(": ") + e.description;
    writeLog(kLogPrefix + detail);
    const QString question = T("Error") + QLatin1Char(' ') + detail + QStringLiteral("\n\n") +
                             T("Open the mail program of the desktop instead?");
    if (prompts().message(question, T("Error"), Icon::Question, Buttons::YesNo) != Answer::Yes)
        return false;
    if (const MailError composed = composeMail(message)) {
        reportError(kLogPrefix, composed.number, composed.description);
        return false;
    }
    return true;
}

namespace mime {

QByteArray headerText(const QString &text, int nameLength)
{
    const QString clean = withoutControls(text);
    bool plain = !clean.contains(QLatin1String("=?"));
    for (const QChar c : clean)
        plain = plain && isPlainHeaderChar(c.unicode());
    if (!plain)
        return encodedWords(clean, "\n ");
    // Folded before a blank, so that joining the lines again gives the text.
    QByteArray out;
    qsizetype lineLength = nameLength + 2;
    const QList<QByteArray> words = clean.toLatin1().split(' ');
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QByteArray &word = words[i];
        if (i == 0) {
            out += word;
            lineLength += word.size();
        } else if (lineLength + 1 + word.size() > kLineLimit && lineLength > 1 && !word.isEmpty()) {
            out += "\n " + word;
            lineLength = 1 + word.size();
        } else {
            out += ' ' + word;
            lineLength += 1 + word.size();
        }
    }
    return out;
}

QByteArray dateText(const QDateTime &date)
{
    const QLocale c = QLocale::c();
    const int offset = date.offsetFromUtc() / 60;
    const int minutes = offset < 0 ? -offset : offset;
    return (c.toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
            QLatin1Char(offset < 0 ? '-' : '+') +
            QStringLiteral("%1%2")
                .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                .arg(minutes % 60, 2, 10, QLatin1Char('0')))
        .toLatin1();
}

QByteArray contentTypeName(const QString &fileName)
{
    if (isPlainParameter(fileName))
        return "name=\"" + fileName.toLatin1() + '"';
    // Older mail programs read only this form of a non-ASCII name.
    return "name=\"" + encodedWords(withoutControls(fileName), "\n ") + '"';
}

QByteArray dispositionFileName(const QString &fileName)
{
    if (isPlainParameter(fileName))
        return "filename=\"" + fileName.toLatin1() + '"';
    return extendedParameter("filename", fileName);
}

QByteArray base64Lines(const QByteArray &data)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr qsizetype kLineBytes = 57; // 76 characters
    const qsizetype size = data.size();
    const qsizetype lines = (size + kLineBytes - 1) / kLineBytes;
    QByteArray out(((size + 2) / 3) * 4 + lines, Qt::Uninitialized);
    const auto *in = reinterpret_cast<const unsigned char *>(data.constData());
    char *o = out.data();
    for (qsizetype start = 0; start < size; start += kLineBytes) {
        const qsizetype end = std::min(start + kLineBytes, size);
        qsizetype i = start;
        for (; i + 3 <= end; i += 3) {
            const unsigned v = (unsigned(in[i]) << 16) | (unsigned(in[i + 1]) << 8) | in[i + 2];
            *o++ = alphabet[(v >> 18) & 63];
            *o++ = alphabet[(v >> 12) & 63];
            *o++ = alphabet[(v >> 6) & 63];
            *o++ = alphabet[v & 63];
        }
        if (i < end) {
            const bool two = i + 1 < end;
            const unsigned v = (unsigned(in[i]) << 16) | (two ? unsigned(in[i + 1]) << 8 : 0u);
            *o++ = alphabet[(v >> 18) & 63];
            *o++ = alphabet[(v >> 12) & 63];
            *o++ = two ? alphabet[(v >> 6) & 63] : '=';
            *o++ = '=';
        }
        *o++ = '\n';
    }
    out.truncate(o - out.constData());
    return out;
}

QByteArray quotedPrintable(const QByteArray &utf8)
{
    static const char hex[] = "0123456789ABCDEF";
    constexpr int kMost = 76;
    QByteArray out;
    out.reserve(utf8.size() * 3 / 2 + 16);
    const QList<QByteArray> lines = utf8.split('\n');
    for (qsizetype l = 0; l < lines.size(); ++l) {
        const QByteArray &line = lines[l];
        int length = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const auto b = static_cast<unsigned char>(line[i]);
            const bool last = i == line.size() - 1;
            // "From " opening a line would be changed by mailbox programs.
            const bool from = i == 0 && line.startsWith("From ");
            const bool literal =
                !from && ((b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last));
            const char escaped[3] = {'=', hex[b >> 4], hex[b & 15]};
            const int width = literal ? 1 : 3;
            // A soft break ("=" at the line's end) keeps every line within 76.
            if (length + width > kMost - 1 && !(last && length + width <= kMost)) {
                out += "=\n";
                length = 0;
            }
            if (literal)
                out += char(b);
            else
                out.append(escaped, 3);
            length += width;
        }
        if (l + 1 < lines.size())
            out += '\n';
    }
    return out;
}

QByteArray newMessageId()
{
    return '<' + randomHex(16) + '@' + hostName() + '>';
}

QByteArray newBoundary()
{
    return "=_Velmora_" + randomHex(12);
}

QByteArray buildMessage(const MailMessage &message, const std::vector<QByteArray> &contents,
                        const QDateTime &date, const QByteArray &messageId, const QByteArray &boundary)
{
    const QByteArray text = normalLineEnds(message.text).toUtf8();
    const bool sevenBit = isSevenBitText(text);
    QByteArray textPart = "Content-Type: text/plain; charset=UTF-8\n"
                          "Content-Transfer-Encoding: ";
    textPart += sevenBit ? "7bit\n\n" + text : "quoted-printable\n\n" + quotedPrintable(text);

    qsizetype size = 1024 + textPart.size();
    for (const QByteArray &content : contents)
        size += content.size() / 57 * 78 + 1024;
    QByteArray out;
    out.reserve(size);
    out += "To: " + message.to.toUtf8() + '\n';
    out += "Subject: " + headerText(message.subject, 7) + '\n';
    out += "Date: " + dateText(date) + '\n';
    out += "Message-ID: " + messageId + '\n';
    out += "MIME-Version: 1.0\n";
    if (contents.empty()) {
        out += textPart;
        out += '\n';
        return out;
    }
    out += "Content-Type: multipart/mixed;\n boundary=\"" + boundary + "\"\n\n";
    out += "This is a multi-part message in MIME format.\n";
    out += "--" + boundary + '\n';
    out += textPart;
    for (size_t i = 0; i < contents.size(); ++i) {
        const QString fileName = i < size_t(message.attachments.size())
                                     ? QFileInfo(message.attachments[qsizetype(i)]).fileName()
                                     : QString();
        out += "\n--" + boundary + '\n';
        out += "Content-Type: application/octet-stream;\n " + contentTypeName(fileName) + '\n';
        out += "Content-Transfer-Encoding: base64\n";
        out += "Content-Disposition: attachment;\n " + dispositionFileName(fileName) + "\n\n";
        out += base64Lines(contents[i]);
    }
    out += "\n--" + boundary + "--\n";
    return out;
}

} // namespace mime

} // namespace velmora
