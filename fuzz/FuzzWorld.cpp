#include "FuzzWorld.h"

#include "app/Seams.h"

#include <QDir>

namespace velmora::fuzz {

FuzzWorld &FuzzWorld::instance()
{
    static FuzzWorld world;
    return world;
}

FuzzWorld::FuzzWorld() : m_clock(QDateTime(QDate(2026, 12, 6), QTime(10, 0)))
{
    QDir root(m_dir.path());
    for (const char *sub : {"home", "home/Documents", "program", "tmp"})
        root.mkpath(QString::fromLatin1(sub));
    const QString home = m_dir.filePath(QStringLiteral("home"));
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
    m_paths = std::make_unique<FixedPaths>(m_dir.filePath(QStringLiteral("program")),
                                           m_dir.filePath(QStringLiteral("tmp")),
                                           m_dir.filePath(QStringLiteral("home/Documents")));
    m_settings = std::make_unique<QSettings>(home + QStringLiteral("/.config/Velmora/Velmora.conf"),
                                             QSettings::IniFormat);
    Seams &s = seams();
    s.clock = &m_clock;
    s.prompts = &m_prompts;
    s.launcher = &m_launcher;
    s.sound = &m_sound;
    s.paths = m_paths.get();
    s.settings = m_settings.get();
}

} // namespace velmora::fuzz
