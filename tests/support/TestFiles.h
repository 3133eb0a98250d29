#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::test {

// Writes a file with its folders, failing the calling test when it cannot.
inline void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// Takes write permission away from a file or folder for as long as it lives.
// Root ignores permission bits, so there the immutable attribute stands in;
// where neither works, active() is false and the test skips.
class WriteProtect {
public:
    explicit WriteProtect(const QString &path) : m_path(path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        m_mode = st.st_mode & 07777;
        ::chmod(QFile::encodeName(path).constData(), S_ISDIR(st.st_mode) ? 0555 : 0444);
        if (writable())
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~WriteProtect()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        ::chmod(QFile::encodeName(m_path).constData(), m_mode);
    }
    bool active() const { return !writable(); }

private:
    bool writable() const { return ::access(QFile::encodeName(m_path).constData(), W_OK) == 0; }
    QString m_path;
    mode_t m_mode = 0644;
    bool m_immutable = false;
};

} // namespace velmora::test
