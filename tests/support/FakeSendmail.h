#pragma once

#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Seams.h"
#include "export/Mailer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QtTest>

namespace velmora::test {

// A sendmail stand-in: a small shell script in folder that keeps its
// arguments (one a line) in folder/args and its input in folder/message, then
// runs the tail given (exit 0 when none).
class FakeSendmail {
public:
    FakeSendmail(const QString &folder, const QByteArray &tail = "exit 0\n") : m_folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray script = "#!/bin/sh\n"
                                  "printf '%s\\n' \"$@\" > '" +
                                  QFile::encodeName(argsPath()) + "'\n" + "cat > '" +
                                  QFile::encodeName(messagePath()) + "'\n" + tail;
        writeFile(program(), script);
        QFile::setPermissions(program(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QString program() const { return m_folder + QStringLiteral("/sendmail"); }
    QString argsPath() const { return m_folder + QStringLiteral("/args"); }
    QString messagePath() const { return m_folder + QStringLiteral("/message"); }
    bool ran() const { return QFile::exists(argsPath()); }
    QByteArray message() const
    {
        QFile f(messagePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray arguments() const
    {
        QFile f(argsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QString m_folder;
};

// Puts a real sendmail transport on program into the seams for as long as it
// lives.
class ScriptTransport {
public:
    explicit ScriptTransport(const QString &program) : m_transport(program)
    {
        m_old = seams().mailTransport;
        seams().mailTransport = &m_transport;
    }
    ~ScriptTransport() { seams().mailTransport = m_old; }

private:
    SendmailTransport m_transport;
    MailTransport *m_old = nullptr;
};

// The program's log, empty when there is none.
inline QString readLog(const TestEnv &env)
{
    QFile f(env.programFolder() + QStringLiteral("/Velmora.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Reads a captured message with Python's own mail parser (an independent
// reading of the MIME rules). The answer holds the headers To, Subject,
// Date (as "yyyy-mm-dd hh:mm:ss"), Message-ID, MIME-Version and the count
// of each of To, Cc, Bcc; "text" the decoded plain text; "names" the
// attachments' decoded file names; "defects" what the parser found wrong.
// Attachment i is written decoded to outFolder/i.
inline QJsonObject parseMail(const QString &messagePath, const QString &outFolder)
{
    static const char *script = R"PY(
import sys, json, email, email.policy, email.utils
msg = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)
out = {}
for h in ['To', 'Subject', 'Message-ID', 'MIME-Version']:
    out[h] = str(msg[h]) if msg[h] is not None else None
for h in ['To', 'Cc', 'Bcc']:
    out['count ' + h] = len(msg.get_all(h) or [])
out['Date'] = email.utils.parsedate_to_datetime(msg['Date']).strftime('%Y-%m-%d %H:%M:%S')
body = msg.get_body(('plain',))
out['text'] = body.get_content() if body is not None else None
defects = [type(d).__name__ for d in msg.defects]
names = []
for i, part in enumerate(msg.iter_attachments()):
    names.append(part.get_filename())
    defects += [type(d).__name__ for d in part.defects]
    open(sys.argv[2] + '/' + str(i), 'wb').write(part.get_payload(decode=True))
out['names'] = names
out['defects'] = defects
print(json.dumps(out))
)PY";
    QDir().mkpath(outFolder);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(script), messagePath, outFolder});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

} // namespace velmora::test
