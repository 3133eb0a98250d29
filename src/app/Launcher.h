#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// Opening links in the desktop's programs, starting this program's own
// executable (the reminder's Details, the immediate reminder run) and
// starting another program of the desktop (the mail composer).
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual bool openUrl(const QString &url) = 0;
    virtual bool startSelf(const QStringList &arguments) = 0;
    // Starts a program found on the PATH with its arguments, without a
    // shell, and does not wait for it. False when it cannot be started.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
};

class DesktopLauncher final : public Launcher {
public:
    bool openUrl(const QString &url) override;
    bool startSelf(const QStringList &arguments) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
};

class RecordingLauncher final : public Launcher {
public:
    bool openUrl(const QString &url) override
    {
        urls.push_back(url);
        return true;
    }
    bool startSelf(const QStringList &arguments) override
    {
        starts.push_back(arguments);
        return true;
    }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        programs.push_back(QStringList{program} + arguments);
        return programStarts;
    }
    std::vector<QString> urls;
    std::vector<QStringList> starts;
    std::vector<QStringList> programs; // each the program followed by its arguments
    bool programStarts = true;
};

// Asynchronous sound; a missing file or no sound device is silence.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &path) = 0;
};

class RecordingSound final : public SoundPlayer {
public:
    void play(const QString &path) override { played.push_back(path); }
    std::vector<QString> played;
};

} // namespace velmora
