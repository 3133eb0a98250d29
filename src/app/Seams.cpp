#include "app/Seams.h"

#include "app/Clock.h"
#include "app/KeychainSecretStore.h"
#include "app/Launcher.h"
#include "app/MailTransport.h"
#include "app/Paths.h"
#include "app/Prompts.h"

#include <QSettings>

namespace velmora {

Seams &seams()
{
    static Seams s;
    return s;
}

void installDefaultSeams()
{
    static SystemClock clock;
    static DesktopLauncher launcher;
    static SystemPaths paths;
    static SendmailTransport mailTransport;
    static KeychainSecretStore secrets;
    static RecordingPrompts silentPrompts;
    static RecordingSound silentSound;
    Seams &s = seams();
    s.clock = &clock;
    s.launcher = &launcher;
    s.paths = &paths;
    s.mailTransport = &mailTransport;
    s.secrets = &secrets;
    if (!s.prompts)
        s.prompts = &silentPrompts;
    if (!s.sound)
        s.sound = &silentSound;
    if (!s.settings)
        s.settings = new QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"),
                                   QStringLiteral("Velmora"));
}

} // namespace velmora
