#pragma once

#include "MemorySecretStore.h"
#include "app/Clock.h"
#include "app/Launcher.h"
#include "app/MailTransport.h"
#include "app/Paths.h"
#include "app/Prompts.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace velmora::test {

// A throw-away world for one test: a temporary HOME with documents, program
// and temp folders, a settings file of its own, a fixed clock (6 December
// 2026, 10:00) and recording prompts, launcher, sound and mail transport
// (which pretends a sendmail is installed and keeps the messages) and an
// in-memory secret store. Installs itself
// into the seams on construction and removes itself on destruction.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv &) = delete;
    TestEnv &operator=(const TestEnv &) = delete;

    QString root() const { return m_dir.path(); }
    QString home() const;
    QString programFolder() const { return m_paths->programFolder(); }
    QString documents() const { return m_paths->documentsFolder(); }
    QString temp() const { return m_paths->tempFolder(); }
    // A path inside the temporary root (not created).
    QString file(const QString &name) const { return m_dir.filePath(name); }

    FixedClock clock;
    RecordingPrompts prompts;
    RecordingLauncher launcher;
    RecordingSound sound;
    RecordingMailTransport mail;
    MemorySecretStore secrets;
    std::unique_ptr<QSettings> settings;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<FixedPaths> m_paths;
    QByteArray m_oldHome;
};

// The source tree's data folder (Language, Calendar, Css, Sound).
QString sourceDataFolder();

} // namespace velmora::test
