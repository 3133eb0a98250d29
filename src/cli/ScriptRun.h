#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QTextStream;

namespace velmora {

class ConsolePrompts;
class ScriptBook;
class ScriptOptions;
struct ScriptRequest;

// One run of the command line for scripts: parses the arguments, does the
// one thing they ask for and says how it went. Results go to standard
// output; a failure is one line on standard error. Never opens a window and
// never asks anything but a protected book's password on the terminal.
class ScriptRun {
public:
    // The exit status of the process.
    enum Status { Done = 0, Failed = 1, UsageError = 2 };

    ScriptRun(QTextStream &out, QTextStream &err, ConsolePrompts &prompts);

    // arguments: the program's arguments, its name first.
    Status run(const QStringList &arguments);

private:
    Status birthdays(const ScriptRequest &request);
    Status calendar(const ScriptRequest &request);
    Status exportPersons(const ScriptRequest &request);
    Status exportCards(const ScriptRequest &request);
    Status importCards(const ScriptRequest &request);
    Status sync(const ScriptRequest &request);
    // Every person of the open book, in the name order of the settings (what
    // the export window's Add all chooses).
    Status everyPerson(const ScriptBook &book, std::vector<int> &contactnrs);
    Status fail(const QString &message);
    Status finishOutput();
    Status usageError(const ScriptOptions &options);

    QTextStream &m_out;
    QTextStream &m_err;
    ConsolePrompts &m_prompts;
};

} // namespace velmora
