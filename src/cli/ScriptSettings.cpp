#include "cli/ScriptSettings.h"

#include "app/Paths.h"
#include "app/Seams.h"

#include <QFile>

namespace velmora {

ScriptSettings::ScriptSettings()
    : m_user(seams().settings), m_file(paths().tempFolder() + QStringLiteral("/settings-XXXXXX.conf"))
{
    if (!m_user || !m_file.open())
        return;
    m_user->sync();
    QFile original(m_user->fileName());
    if (original.open(QIODevice::ReadOnly)) {
        if (m_file.write(original.readAll()) < 0 || !m_file.flush())
            return;
    }
    m_file.close();
    m_copy = std::make_unique<QSettings>(m_file.fileName(), QSettings::IniFormat);
    seams().settings = m_copy.get();
}

ScriptSettings::~ScriptSettings()
{
    if (m_copy)
        seams().settings = m_user;
}

} // namespace velmora
