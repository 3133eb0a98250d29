#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// The conversation with the publisher's web server: one HTTP/1.1 GET of the
// file that holds the latest version number, and the reading of its answer.

// The path of the file on the server.
QString latestVersionPath();

// The request, sent as 8-bit text: the request line (the absolute address
// "http://" + host + path when it goes through a proxy, the path alone
// otherwise), "User-Agent: Velmora " + the program version, "Host: " + host,
// every line ended by CR LF and the whole by an empty line. Nothing else.
QByteArray versionRequest(const QString &host, bool throughProxy);

// What an answer (the bytes received so far) says.
struct VersionAnswer {
    // A status line and the empty line after the header were found, and the
    // status is a three-digit number.
    bool readable = false;
    // The status (200 for "HTTP/1.1 200 OK"), 0 when not readable.
    int status = 0;
    // The bytes after the first empty line (at most as many as a
    // Content-Length header names), as 8-bit text; empty unless readable.
    QString body;
    // The body without the blanks and line ends around it, when it is a
    // version number (VersionNumber.h); empty otherwise.
    QString version;
};

// Reads an answer: the status from the three characters at the tenth
// position, the body after the first CR LF CR LF. Any bytes at all are read
// without harm: what is not an answer comes back unreadable.
VersionAnswer readVersionAnswer(const QByteArray &answer);

// True when the answer needs no more bytes to be read: its header is
// complete and either the status is not 200 or the body holds as many bytes
// as the header's Content-Length. Without a Content-Length only the end of
// the connection completes it.
bool isAnswerComplete(const QByteArray &answer);

} // namespace velmora
