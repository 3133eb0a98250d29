#include "cli/ScriptOptions.h"

#include "app/ProgramInfo.h"

namespace velmora {

namespace {

const QString kBirthdays = QStringLiteral("birthdays");

// "--birthdays" takes its number of days only when one follows: a bare
// "--birthdays" (last, or before another option) becomes "--birthdays=", an
// empty value that stands for the reminder's days.
QStringList withOptionalDays(const QStringList &arguments)
{
    QStringList result;
    const QString bare = QStringLiteral("--") + kBirthdays;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool valueFollows =
            i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1Char('-'));
        if (i > 0 && argument == bare && !valueFollows)
            result << bare + QLatin1Char('=');
        else
            result << argument;
    }
    return result;
}

} // namespace

ScriptOptions::ScriptOptions()
    : m_help(QStringLiteral("help"), QStringLiteral("Show this text and end.")),
      m_version(QStringLiteral("version"), QStringLiteral("Show the program's name and version and end.")),
      m_book(QStringLiteral("book"), QStringLiteral("The book to use instead of the default book."),
             QStringLiteral("FILE")),
      m_passwordFile(QStringLiteral("password-file"),
                     QStringLiteral("Read the password of a protected book from the first line of FILE. "
                                    "Without it the password is asked for on the terminal."),
                     QStringLiteral("FILE")),
      m_birthdays(kBirthdays,
                  QStringLiteral("List today's birthdays and those of the next DAYS days, one line each: "
                                 "date, name and the age reached, separated by tabs. Without DAYS: the "
                                 "days of the reminder settings."),
                  QStringLiteral("DAYS")),
      m_force(QStringLiteral("force"), QStringLiteral("Replace output files that exist already."))
{
    m_parser.setApplicationDescription(
        QStringLiteral("Velmora address book: birthdays and more for scripts, without a window.\n"
                       "Without options, or with a book's path, the program opens its window."));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const QCommandLineOption *option :
         {&m_help, &m_version, &m_book, &m_passwordFile, &m_birthdays, &m_force})
        m_parser.addOption(*option);
}

QString ScriptOptions::versionText()
{
    return programTitle();
}

QString ScriptOptions::helpText() const
{
    // "<DAYS>" marks a value that must be given; the days of --birthdays may
    // be left out.
    QString text = m_parser.helpText();
    // The program by its name, not by the path it was started with.
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    text.replace(0, firstLineEnd, QStringLiteral("Usage: velmora [options]"));
    text.replace(QStringLiteral("--birthdays <DAYS>"), QStringLiteral("--birthdays [DAYS]"));
    return text;
}

bool ScriptOptions::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool ScriptOptions::parse(const QStringList &arguments)
{
    m_request = ScriptRequest{};
    m_error.clear();
    if (!m_parser.parse(withOptionalDays(arguments)))
        return fail(m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        m_request.action = ScriptRequest::Action::Help;
        return true;
    }
    if (m_parser.isSet(m_version)) {
        m_request.action = ScriptRequest::Action::Version;
        return true;
    }
    if (!m_parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.").arg(m_parser.positionalArguments().first()));
    for (const QCommandLineOption *option : {&m_book, &m_passwordFile, &m_birthdays}) {
        const QString name = option->names().first();
        const QStringList values = m_parser.values(*option);
        if (values.size() > 1)
            return fail(QStringLiteral("Option '%1' is given more than once.").arg(name));
        if (option != &m_birthdays && !values.isEmpty() && values.first().isEmpty())
            return fail(QStringLiteral("Option '%1' needs a file name.").arg(name));
    }

    if (!m_parser.isSet(m_birthdays))
        return fail(QStringLiteral("Nothing to do: give --birthdays."));
    m_request.action = ScriptRequest::Action::Birthdays;
    m_request.book = m_parser.value(m_book);
    m_request.passwordFile = m_parser.value(m_passwordFile);
    m_request.force = m_parser.isSet(m_force);

    const QString days = m_parser.value(m_birthdays);
    if (!days.isEmpty()) {
        bool ok = false;
        const int n = days.toInt(&ok);
        if (!ok || n < 0 || days.startsWith(QLatin1Char('+')))
            return fail(QStringLiteral("DAYS of --birthdays must be a whole number of 0 or more, not '%1'.")
                            .arg(days));
        m_request.days = n;
    }
    return true;
}

} // namespace velmora
