#include "app/SafeFile.h"

#include "settings/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

QString lineBreak()
{
    return QStringLiteral("\r\n");
}

FileResult failure(const QString &caption, const QString &path, const QString &reason = QString())
{
    QString text = caption + lineBreak() + path;
    if (!reason.isEmpty())
        text += lineBreak() + reason;
    return {false, text};
}

// Permission bits, not access(): root may write anywhere, but a file the
// user made read-only is still not to be replaced.
bool writeProtected(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

// Makes the rename durable. Best effort: the rename itself has happened.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileResult writeFileSafely(const QString &target, const QByteArray &bytes)
{
    const QFileInfo info(target);
    if (info.isDir())
        return failure(T("The file could not be written:"), target, T("A folder of that name exists."));
    if (writeProtected(target))
        return failure(T("The file is write-protected:"), target);
    QSaveFile file(target);
    // Never fall back to writing into the target itself.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failure(T("The file could not be written:"), target, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(T("The file could not be written:"), target, reason);
    }
    // commit() flushes, syncs the new file and renames it into place; on
    // failure the new file is removed and the target is untouched.
    if (!file.commit())
        return failure(T("The file could not be written:"), target, file.errorString());
    syncFolder(info.absolutePath());
    return {};
}

FileResult copyFileSafely(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failure(T("The file could not be read:"), source, in.errorString());
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return failure(T("The file could not be read:"), source, in.errorString());
    return writeFileSafely(target, bytes);
}

} // namespace velmora
