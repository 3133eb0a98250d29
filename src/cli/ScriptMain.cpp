#include "cli/ScriptMain.h"

#include "app/Launcher.h"
#include "app/ProgramInfo.h"
#include "app/Seams.h"
#include "cli/ConsolePrompts.h"
#include "cli/ScriptOptions.h"
#include "cli/ScriptRun.h"
#include "cli/ScriptSettings.h"
#include "settings/InitSettings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace velmora {

bool isScriptCommandLine(int argc, char **argv)
{
    return argc > 1 && argv[1] && argv[1][0] == '-' && argv[1][1] == '-';
}

int runScriptCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(programVersion());

    // Nothing is shown and nothing sounds: messages are kept for the one
    // line on standard error.
    static ConsolePrompts prompts;
    static RecordingSound silence;
    seams().prompts = &prompts;
    seams().sound = &silence;
    installDefaultSeams();
    initSettings();
    const ScriptSettings privateSettings;

    QTextStream out(stdout);
    QTextStream err(stderr);
    ScriptRun run(out, err, prompts);
    return run.run(QCoreApplication::arguments());
}

} // namespace velmora
