#include "cli/ScriptRun.h"

#include "cli/BirthdayLines.h"
#include "cli/ConsolePrompts.h"
#include "cli/ScriptBook.h"
#include "cli/ScriptOptions.h"

#include <QTextStream>

namespace velmora {

namespace {
const QLatin1String kProgram("velmora: ");
}

ScriptRun::ScriptRun(QTextStream &out, QTextStream &err, ConsolePrompts &prompts)
    : m_out(out), m_err(err), m_prompts(prompts)
{
}

ScriptRun::Status ScriptRun::fail(const QString &message)
{
    m_err << kProgram << message << Qt::endl;
    return Failed;
}

ScriptRun::Status ScriptRun::usageError(const ScriptOptions &options)
{
    m_err << kProgram << options.error() << Qt::endl << Qt::endl << options.helpText() << Qt::flush;
    return UsageError;
}

ScriptRun::Status ScriptRun::run(const QStringList &arguments)
{
    ScriptOptions options;
    if (!options.parse(arguments))
        return usageError(options);
    const ScriptRequest &request = options.request();
    switch (request.action) {
    case ScriptRequest::Action::Help:
        m_out << options.helpText();
        return finishOutput();
    case ScriptRequest::Action::Version:
        m_out << ScriptOptions::versionText() << '\n';
        return finishOutput();
    case ScriptRequest::Action::Birthdays:
        return birthdays(request);
    }
    return Done;
}

ScriptRun::Status ScriptRun::birthdays(const ScriptRequest &request)
{
    ScriptBook book;
    if (const QString error = book.openForReading(request); !error.isEmpty())
        return fail(error);
    QStringList lines;
    if (const DbError e = BirthdayLines::collect(request.days, lines))
        return fail(QStringLiteral("Cannot read the birthdays of %1: %2").arg(book.path(), e.description));
    for (const QString &line : lines)
        m_out << line << '\n';
    return finishOutput();
}

ScriptRun::Status ScriptRun::finishOutput()
{
    // A full disk or a closed pipe behind standard output is a failure, not
    // a list that silently lacks its end.
    m_out << Qt::flush;
    if (m_out.status() != QTextStream::Ok)
        return fail(QStringLiteral("Cannot write to standard output."));
    return Done;
}

} // namespace velmora
