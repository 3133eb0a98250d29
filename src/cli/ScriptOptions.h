#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace velmora {

// What a script asked for on the command line: one action on one book.
struct ScriptRequest {
    enum class Action {
        Help,        // --help: the usage text
        Version,     // --version: "Velmora 1.3.4"
        Birthdays,   // --birthdays [DAYS]: the birthdays of today and the next days
        Calendar,    // --calendar FOLDER [--week-start DAY] [--style NAME]
        ExportText,  // --export-text FILE
        ExportHtml,  // --export-html FILE [--style NAME]
        ExportVcard, // --export-vcard FILE
        ExportIcs,   // --export-ics FILE
        ImportVcard, // --import-vcard FILE
        Sync,        // --sync [--sync-password-file FILE]
    };
    Action action = Action::Help;
    QString book;             // --book FILE; empty: the default book
    QString passwordFile;     // --password-file FILE; empty: none given
    QString syncPasswordFile; // --sync-password-file FILE; empty: the secret store
    std::optional<int> days;  // --birthdays DAYS; none: the reminder's days
    QString target;           // the file or folder an action writes or reads
    QString style;            // --style NAME; empty: the style of the settings
    QString weekStart;        // --week-start: "Monday", "Sunday"; empty: the settings'
    bool force = false;       // --force: output files may replace existing ones
};

// The command line for scripts: options in the usual "--name value" form,
// parsed with QCommandLineParser. The legacy start forms ("/Reminder",
// "/Person" with a key, a book's path, nothing) never come here.
class ScriptOptions {
public:
    ScriptOptions();

    // Parses the program's arguments (its name first). False on a usage
    // error, which error() describes in one line.
    bool parse(const QStringList &arguments);
    const ScriptRequest &request() const { return m_request; }
    QString error() const { return m_error; }

    // The usage text of --help and of usage errors.
    QString helpText() const;
    // What --version prints.
    static QString versionText();

private:
    // An option that names the action of the run; exactly one is given.
    struct ActionOption {
        QCommandLineOption option;
        ScriptRequest::Action action;
    };
    bool fail(const QString &error);
    bool readDays(const QString &days);
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_book;
    QCommandLineOption m_passwordFile;
    QCommandLineOption m_style;
    QCommandLineOption m_weekStart;
    QCommandLineOption m_force;
    QCommandLineOption m_syncPasswordFile;
    std::vector<ActionOption> m_actions;
    bool m_styleOffered = false; // --style, offered when an action takes it
    ScriptRequest m_request;
    QString m_error;
};

} // namespace velmora
