#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace velmora {

SystemPaths::SystemPaths() = default;
SystemPaths::~SystemPaths() = default;

QString SystemPaths::programFolder() const
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    // A build tree or a copied folder keeps the data beside the executable;
    // an installed copy keeps it in ../share/velmora.
    if (QFileInfo::exists(exeDir + QStringLiteral("/Language")))
        return exeDir;
    const QString shared = QDir::cleanPath(exeDir + QStringLiteral("/../share/velmora"));
    if (QFileInfo::exists(shared))
        return shared;
    return exeDir;
}

QString SystemPaths::tempFolder() const
{
    if (!m_temp) {
        m_temp = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velmora-XXXXXX"));
        if (m_temp->isValid())
            QFile::setPermissions(m_temp->path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return m_temp->isValid() ? m_temp->path() : QDir::tempPath();
}

QString SystemPaths::documentsFolder() const
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        docs = QDir::homePath();
    return docs;
}

} // namespace velmora
