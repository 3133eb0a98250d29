#include "cli/ScriptOptions.h"

#include "app/ProgramInfo.h"

#include <algorithm>

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

// The actions that write styled pages.
bool takesStyle(ScriptRequest::Action action)
{
    return action == ScriptRequest::Action::Calendar || action == ScriptRequest::Action::ExportHtml;
}

QString dashed(const QCommandLineOption &option)
{
    return QStringLiteral("--") + option.names().first();
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
      m_style(QStringLiteral("style"),
              QStringLiteral("The style of the pages instead of the style of the settings: a style sheet "
                             "of the Css folder for --export-html, of the Calendar folder for --calendar."),
              QStringLiteral("NAME")),
      m_weekStart(QStringLiteral("week-start"),
                  QStringLiteral("The day the weeks of --calendar start with: monday or sunday (default: "
                                 "the settings)."),
                  QStringLiteral("DAY")),
      m_force(QStringLiteral("force"), QStringLiteral("Replace an output file that exists already.")),
      m_syncPasswordFile(
          QStringLiteral("sync-password-file"),
          QStringLiteral("Read the password of the synchronisation server from the first line "
                         "of FILE. Without it the password comes from the desktop's secret store."),
          QStringLiteral("FILE"))
{
    using Action = ScriptRequest::Action;
    m_actions = {
        {QCommandLineOption(kBirthdays,
                            QStringLiteral("List today's birthdays and those of the next DAYS days, one line "
                                           "each: date, name and the age reached, separated by tabs. Without "
                                           "DAYS: the days of the reminder settings."),
                            QStringLiteral("DAYS")),
         Action::Birthdays},
        {QCommandLineOption(
             QStringLiteral("calendar"),
             QStringLiteral("Write the birthday calendar, the 36 month pages of last, this and "
                            "next year with calendar.css, into FOLDER/Calendar."),
             QStringLiteral("FOLDER")),
         Action::Calendar},
        {QCommandLineOption(
             QStringLiteral("export-text"),
             QStringLiteral("Export every person with every detail as plain text into FILE, in "
                            "the name order of the settings."),
             QStringLiteral("FILE")),
         Action::ExportText},
        {QCommandLineOption(
             QStringLiteral("export-html"),
             QStringLiteral("Export every person with every detail as an XHTML page into FILE, "
                            "in the name order of the settings, with its style sheet inside."),
             QStringLiteral("FILE")),
         Action::ExportHtml},
        {QCommandLineOption(QStringLiteral("export-vcard"),
                            QStringLiteral("Export every person as vCard 3.0 into FILE, in the name order of "
                                           "the settings."),
                            QStringLiteral("FILE")),
         Action::ExportVcard},
        {QCommandLineOption(QStringLiteral("export-ics"),
                            QStringLiteral("Write every birthday of the book as a yearly event into the "
                                           "iCalendar file FILE."),
                            QStringLiteral("FILE")),
         Action::ExportIcs},
        {QCommandLineOption(QStringLiteral("import-vcard"),
                            QStringLiteral("Add the persons of the vCard file FILE to the book, leaving out "
                                           "those it holds already; prints what was done."),
                            QStringLiteral("FILE")),
         Action::ImportVcard},
        {QCommandLineOption(
             QStringLiteral("sync"),
             QStringLiteral("Synchronise the book with the address book on the server set up in "
                            "Options > Synchronisation; prints what was done.")),
         Action::Sync},
    };

    m_parser.setApplicationDescription(QStringLiteral(
        "Velmora address book: birthdays, exports and synchronisation for scripts, without a window.\n"
        "Without options, or with a book's path, the program opens its window."));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    m_parser.addOption(m_help);
    m_parser.addOption(m_version);
    m_parser.addOption(m_book);
    m_parser.addOption(m_passwordFile);
    for (const ActionOption &a : m_actions)
        m_parser.addOption(a.option);
    m_styleOffered = std::any_of(m_actions.begin(), m_actions.end(),
                                 [](const ActionOption &a) { return takesStyle(a.action); });
    if (m_styleOffered)
        m_parser.addOption(m_style);
    m_parser.addOption(m_weekStart);
    m_parser.addOption(m_force);
    m_parser.addOption(m_syncPasswordFile);
}

QString ScriptOptions::versionText()
{
    return programTitle();
}

QString ScriptOptions::helpText() const
{
    QString text = m_parser.helpText();
    // The program by its name, not by the path it was started with.
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    text.replace(0, firstLineEnd, QStringLiteral("Usage: velmora [options]"));
    // "<DAYS>" marks a value that must be given; the days of --birthdays may
    // be left out.
    text.replace(QStringLiteral("--birthdays <DAYS>"), QStringLiteral("--birthdays [DAYS]"));
    return text;
}

bool ScriptOptions::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool ScriptOptions::readDays(const QString &days)
{
    if (days.isEmpty())
        return true;
    bool ok = false;
    const int n = days.toInt(&ok);
    if (!ok || n < 0 || days.startsWith(QLatin1Char('+')))
        return fail(
            QStringLiteral("DAYS of --birthdays must be a whole number of 0 or more, not '%1'.").arg(days));
    m_request.days = n;
    return true;
}

bool ScriptOptions::parse(const QStringList &arguments)
{
    using Action = ScriptRequest::Action;
    m_request = ScriptRequest{};
    m_error.clear();
    if (!m_parser.parse(withOptionalDays(arguments)))
        return fail(m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        m_request.action = Action::Help;
        return true;
    }
    if (m_parser.isSet(m_version)) {
        m_request.action = Action::Version;
        return true;
    }
    if (!m_parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.").arg(m_parser.positionalArguments().first()));

    // Every option with a value is given once, and a file name is not empty.
    std::vector<const QCommandLineOption *> valued{&m_book, &m_passwordFile, &m_weekStart,
                                                   &m_syncPasswordFile};
    if (m_styleOffered)
        valued.push_back(&m_style);
    for (const ActionOption &a : m_actions)
        valued.push_back(&a.option);
    for (const QCommandLineOption *option : valued) {
        const QStringList values = m_parser.values(*option);
        if (values.size() > 1)
            return fail(QStringLiteral("Option '%1' is given more than once.").arg(option->names().first()));
        if (!values.isEmpty() && values.first().isEmpty() && option->names().first() != kBirthdays)
            return fail(QStringLiteral("Option '%1' needs a value.").arg(option->names().first()));
    }

    // Exactly one action.
    const ActionOption *chosen = nullptr;
    QStringList names;
    for (const ActionOption &a : m_actions) {
        names << dashed(a.option);
        if (!m_parser.isSet(a.option))
            continue;
        if (chosen)
            return fail(
                QStringLiteral("Give only one of %1 and %2.").arg(dashed(chosen->option), dashed(a.option)));
        chosen = &a;
    }
    if (!chosen)
        return fail(QStringLiteral("Nothing to do: give one of %1.").arg(names.join(QStringLiteral(", "))));
    m_request.action = chosen->action;
    m_request.book = m_parser.value(m_book);
    m_request.passwordFile = m_parser.value(m_passwordFile);
    m_request.force = m_parser.isSet(m_force);
    if (m_styleOffered) {
        m_request.style = m_parser.value(m_style);
        if (m_parser.isSet(m_style) && !takesStyle(chosen->action))
            return fail(QStringLiteral("Option '--style' does not go with %1.").arg(dashed(chosen->option)));
    }
    if (m_parser.isSet(m_weekStart)) {
        if (chosen->action != Action::Calendar)
            return fail(
                QStringLiteral("Option '--week-start' does not go with %1.").arg(dashed(chosen->option)));
        const QString day = m_parser.value(m_weekStart).toLower();
        if (day == QLatin1String("monday"))
            m_request.weekStart = QStringLiteral("Monday");
        else if (day == QLatin1String("sunday"))
            m_request.weekStart = QStringLiteral("Sunday");
        else
            return fail(QStringLiteral("Option '--week-start' takes monday or sunday, not '%1'.")
                            .arg(m_parser.value(m_weekStart)));
    }
    if (m_parser.isSet(m_syncPasswordFile)) {
        if (chosen->action != Action::Sync)
            return fail(QStringLiteral("Option '--sync-password-file' does not go with %1.")
                            .arg(dashed(chosen->option)));
        m_request.syncPasswordFile = m_parser.value(m_syncPasswordFile);
    }
    if (chosen->action == Action::Birthdays)
        return readDays(m_parser.value(chosen->option));
    m_request.target = m_parser.value(chosen->option);
    return true;
}

} // namespace velmora
