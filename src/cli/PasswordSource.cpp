#include "cli/PasswordSource.h"

#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr qint64 kLongestLine = 64 * 1024;

// The terminal's settings while echo is off, for the signal handler that
// puts them back.
int gTerminal = -1;
struct termios gSaved {};

extern "C" void restoreTerminalAndDie(int signal)
{
    if (gTerminal >= 0) {
        ::tcsetattr(gTerminal, TCSAFLUSH, &gSaved);
        static const char newline = '\n';
        [[maybe_unused]] const ssize_t n = ::write(gTerminal, &newline, 1);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

// Switches echo off on the terminal for as long as it lives; a signal that
// ends the process on the way puts the terminal back first.
class EchoOff {
public:
    explicit EchoOff(int fd) : m_fd(fd)
    {
        if (::tcgetattr(fd, &gSaved) != 0)
            return;
        gTerminal = fd;
        struct sigaction restore {};
        restore.sa_handler = restoreTerminalAndDie;
        sigemptyset(&restore.sa_mask);
        for (int i = 0; i < kSignalCount; ++i)
            ::sigaction(kSignals[i], &restore, &m_old[i]);
        struct termios quiet = gSaved;
        quiet.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL);
        quiet.c_lflag |= ICANON;
        m_active = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (gTerminal < 0)
            return;
        ::tcsetattr(m_fd, TCSAFLUSH, &gSaved);
        for (int i = 0; i < kSignalCount; ++i)
            ::sigaction(kSignals[i], &m_old[i], nullptr);
        gTerminal = -1;
    }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;
    bool active() const { return m_active; }

private:
    int m_fd;
    bool m_active = false;
    struct sigaction m_old[kSignalCount] = {};
};

void writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        done += n;
    }
}

} // namespace

QString PasswordSource::readFile(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read the password file %1: %2.").arg(path, file.errorString());
        return {};
    }
    QByteArray line = file.readLine(kLongestLine);
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty()) {
        error = QStringLiteral("The password file %1 holds no password on its first line.").arg(path);
        return {};
    }
    error.clear();
    return QString::fromUtf8(line);
}

bool PasswordSource::hasTerminal()
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::optional<QString> PasswordSource::askOnTerminal(const QString &prompt)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray line;
    bool ended = false;
    {
        EchoOff echoOff(fd);
        // Never read a password that the screen would show.
        if (echoOff.active()) {
            writeAll(fd, prompt.toUtf8());
            char c = 0;
            for (;;) {
                const ssize_t n = ::read(fd, &c, 1);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                if (c == '\n' || c == '\r') {
                    ended = true;
                    break;
                }
                if (line.size() < kLongestLine)
                    line += c;
            }
            // The Enter the user typed was not echoed.
            writeAll(fd, "\n");
        }
    }
    ::close(fd);
    if (!ended)
        return std::nullopt;
    QString password = QString::fromUtf8(line);
    line.fill('\0');
    return password;
}

} // namespace velmora
