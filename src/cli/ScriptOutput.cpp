#include "cli/ScriptOutput.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString ScriptOutput::file(const QString &target, bool force, QString &error)
{
    error.clear();
    const QFileInfo info(QDir::cleanPath(QFileInfo(target).absoluteFilePath()));
    const QString path = info.filePath();
    if (info.isDir()) {
        error = QStringLiteral("Cannot write %1: it is a folder.").arg(path);
        return {};
    }
    if (info.exists() && !force) {
        error = QStringLiteral("%1 exists: give --force to replace it.").arg(path);
        return {};
    }
    if (!QFileInfo(info.absolutePath()).isDir()) {
        error =
            QStringLiteral("Cannot write %1: the folder %2 does not exist.").arg(path, info.absolutePath());
        return {};
    }
    return path;
}

QString ScriptOutput::folder(const QString &target, QString &error)
{
    error.clear();
    const QFileInfo info(QDir::cleanPath(QFileInfo(target).absoluteFilePath()));
    if (info.exists() && !info.isDir()) {
        error = QStringLiteral("Cannot write into %1: it is a file.").arg(info.filePath());
        return {};
    }
    return info.filePath();
}

} // namespace velmora
