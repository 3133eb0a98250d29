#include "TestEnv.h"

#include "app/Seams.h"

#include <QDir>

namespace velmora::test {

TestEnv::TestEnv() : clock(QDateTime(QDate(2026, 12, 6), QTime(10, 0)))
{
    QDir root(m_dir.path());
    for (const char *sub : {"home", "home/Documents", "program", "tmp"})
        root.mkpath(QString::fromLatin1(sub));
    m_paths = std::make_unique<FixedPaths>(m_dir.filePath(QStringLiteral("program")),
                                           m_dir.filePath(QStringLiteral("tmp")),
                                           m_dir.filePath(QStringLiteral("home/Documents")));
    m_oldHome = qgetenv("HOME");
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home() + QStringLiteral("/.local/share")).toLocal8Bit());
    settings = std::make_unique<QSettings>(
        m_dir.filePath(QStringLiteral("home/.config/Velmora/Velmora.conf")), QSettings::IniFormat);
    Seams &s = seams();
    s.clock = &clock;
    s.prompts = &prompts;
    s.launcher = &launcher;
    s.sound = &sound;
    s.paths = m_paths.get();
    s.mailTransport = &mail;
    s.secrets = &secrets;
    s.settings = settings.get();
}

TestEnv::~TestEnv()
{
    seams() = Seams{};
    qputenv("HOME", m_oldHome);
}

QString TestEnv::home() const
{
    return m_dir.filePath(QStringLiteral("home"));
}

QString sourceDataFolder()
{
    return QStringLiteral(VELMORA_SOURCE_DIR "/data");
}

} // namespace velmora::test
