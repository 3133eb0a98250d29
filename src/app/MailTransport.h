#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace velmora {

// Why handing a message over failed: a number and a text for the user. The
// numbers below are the transport's own; a positive number is the exit
// status of the sendmail program.
struct MailError {
    int number = 0;
    QString description;
    bool failed() const { return number != 0; }
    explicit operator bool() const { return failed(); }
};

inline constexpr int kMailNoSendmail = -1;     // no sendmail program installed
inline constexpr int kMailNotStarted = -2;     // it is installed but would not start
inline constexpr int kMailStopped = -3;        // it was killed before it finished
inline constexpr int kMailTimedOut = -4;       // it did not finish in time (and was stopped)
inline constexpr int kMailFileUnreadable = -5; // an attachment cannot be read
inline constexpr int kMailBadRecipient = -6;   // the recipient is not one plain address
inline constexpr int kMailNoComposer = -7;     // the desktop's mail composer would not start

// Hands a complete message to the system's mail service. The message carries
// its recipients in its headers (the way `sendmail -t -i` reads them); the
// transport never adds any of its own.
class MailTransport {
public:
    virtual ~MailTransport() = default;
    // The sendmail program that deliver() runs; empty when none is installed.
    virtual QString sendmailProgram() const = 0;
    virtual MailError deliver(const QByteArray &message) = 0;
};

// Runs `sendmail -t -i` (as msmtp, postfix or exim install it) without a
// shell and writes the message to its input. The program is
// /usr/sbin/sendmail, /usr/lib/sendmail or sendmail on the PATH, looked up at
// every delivery, or the one given. Lines end in LF, as that interface
// expects.
class SendmailTransport final : public MailTransport {
public:
    // program: the sendmail to run (for tests); empty looks it up.
    // timeoutMs: how long a delivery may take before it is stopped.
    explicit SendmailTransport(QString program = {}, int timeoutMs = 5 * 60 * 1000);
    QString sendmailProgram() const override;
    MailError deliver(const QByteArray &message) override;

private:
    QString m_program;
    int m_timeoutMs;
};

// Keeps every message instead of sending it; answers with result.
class RecordingMailTransport final : public MailTransport {
public:
    QString sendmailProgram() const override { return program; }
    MailError deliver(const QByteArray &message) override
    {
        messages.push_back(message);
        return result;
    }
    QString program = QStringLiteral("/usr/sbin/sendmail"); // empty: none installed
    MailError result;
    std::vector<QByteArray> messages;
};

} // namespace velmora
