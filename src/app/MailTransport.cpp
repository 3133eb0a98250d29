#include "app/MailTransport.h"

#include "settings/Translate.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace velmora {

namespace {

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The end of sendmail's complaint, enough for a message box and a log line.
QString complaint(const QByteArray &errorOutput)
{
    QString text = QString::fromLocal8Bit(errorOutput).trimmed();
    constexpr int kMost = 1000;
    if (text.size() > kMost)
        text = text.right(kMost);
    return text;
}

} // namespace

SendmailTransport::SendmailTransport(QString program, int timeoutMs)
    : m_program(std::move(program)), m_timeoutMs(timeoutMs)
{
}

QString SendmailTransport::sendmailProgram() const
{
    if (!m_program.isEmpty())
        return isProgram(m_program) ? m_program : QString();
    for (const QString &path : {QStringLiteral("/usr/sbin/sendmail"), QStringLiteral("/usr/lib/sendmail")}) {
        if (isProgram(path))
            return path;
    }
    return QStandardPaths::findExecutable(QStringLiteral("sendmail"));
}

MailError SendmailTransport::deliver(const QByteArray &message)
{
    const QString program = sendmailProgram();
    if (program.isEmpty())
        return {kMailNoSendmail, T("No sendmail program is installed.")};
    // -t: the recipients come from the message's headers; -i: a line holding
    // only a dot is text, not the end of the message.
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("-t"), QStringLiteral("-i")});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted())
        return {kMailNotStarted,
                T("The sendmail program could not be started:") + QLatin1Char(' ') + program};
    process.write(message);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(m_timeoutMs) || process.state() == QProcess::NotRunning;
    if (!finished) {
        process.kill();
        process.waitForFinished();
        return {kMailTimedOut, T("The sendmail program did not finish in time.")};
    }
    if (process.exitStatus() == QProcess::CrashExit)
        return {kMailStopped, T("The sendmail program was stopped before it finished.")};
    const int status = process.exitCode();
    if (status == 0)
        return {};
    QString text = complaint(process.readAllStandardError());
    if (text.isEmpty())
        text = T("The sendmail program ended with exit status") + QLatin1Char(' ') + QString::number(status);
    return {status, text};
}

} // namespace velmora
