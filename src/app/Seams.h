#pragma once

class QSettings;

namespace velmora {

class Clock;
class Prompts;
class Launcher;
class SoundPlayer;
class Paths;
class MailTransport;
class SecretStore;

// The process-wide seams. The program installs the real ones at start;
// tests install fakes (see tests/support/TestEnv.h). None is ever null after
// installDefaultSeams() or a test environment has run.
struct Seams {
    Clock *clock = nullptr;
    Prompts *prompts = nullptr;
    Launcher *launcher = nullptr;
    SoundPlayer *sound = nullptr;
    Paths *paths = nullptr;
    MailTransport *mailTransport = nullptr;
    QSettings *settings = nullptr;
    SecretStore *secrets = nullptr;
};

Seams &seams();
inline Clock &clock()
{
    return *seams().clock;
}
inline Prompts &prompts()
{
    return *seams().prompts;
}
inline Launcher &launcher()
{
    return *seams().launcher;
}
inline SoundPlayer &sound()
{
    return *seams().sound;
}
inline Paths &paths()
{
    return *seams().paths;
}
inline MailTransport &mailTransport()
{
    return *seams().mailTransport;
}
inline SecretStore &secretStore()
{
    return *seams().secrets;
}
inline QSettings &settingsStore()
{
    return *seams().settings;
}

// Installs the real clock, launcher, paths, mail transport, secret store and settings. Prompts and sound
// are installed by the windows layer (they need widgets or multimedia);
// until then a silent recorder stands in.
void installDefaultSeams();

} // namespace velmora
