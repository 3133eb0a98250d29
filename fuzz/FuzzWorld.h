#pragma once

#include "app/Clock.h"
#include "app/Launcher.h"
#include "app/Paths.h"
#include "app/Prompts.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace velmora::fuzz {

// The world every fuzz entry runs in, made once per process: a private
// temporary folder as HOME with program, temp and documents folders, a
// settings file of its own, a fixed clock (6 December 2026, 10:00) and
// recording prompts, launcher and sound in the seams. Works the same in a
// fuzz target and in the test that replays the kept inputs.
class FuzzWorld {
public:
    static FuzzWorld &instance();

    // A path inside the world's folder (not created).
    QString file(const QString &name) const { return m_dir.filePath(name); }
    RecordingPrompts &prompts() { return m_prompts; }

private:
    FuzzWorld();
    QTemporaryDir m_dir;
    FixedClock m_clock;
    RecordingPrompts m_prompts;
    RecordingLauncher m_launcher;
    RecordingSound m_sound;
    std::unique_ptr<FixedPaths> m_paths;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace velmora::fuzz
