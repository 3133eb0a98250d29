#include "cli/ScriptRun.h"

#include "app/Clock.h"
#include "app/Seams.h"
#include "birthdays/CalendarGenerator.h"
#include "birthdays/CalendarSaver.h"
#include "birthdays/CalendarStyles.h"
#include "cli/BirthdayLines.h"
#include "cli/ConsolePrompts.h"
#include "cli/PasswordSource.h"
#include "cli/ScriptBook.h"
#include "cli/ScriptOptions.h"
#include "cli/ScriptOutput.h"
#include "export/ExportOptions.h"
#include "export/HtmlExport.h"
#include "export/PickerPerson.h"
#include "export/TextExport.h"
#include "interchange/BirthdayIcs.h"
#include "interchange/VcardExport.h"
#include "interchange/VcardImport.h"
#include "settings/Settings.h"
#include "sync/BookSync.h"
#include "sync/SyncSettings.h"

#include <QDir>
#include <QFileInfo>

#include <QTextStream>

namespace velmora {

namespace {

const QLatin1String kProgram("velmora: ");

// A message of the core (made for a message box) on one line.
QString oneLine(const QString &text)
{
    QStringList parts;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString part = line.trimmed();
        if (!part.isEmpty())
            parts << part;
    }
    QString joined;
    for (const QString &part : parts) {
        if (!joined.isEmpty())
            joined += joined.endsWith(QLatin1Char(':')) ? QStringLiteral(" ") : QStringLiteral(": ");
        joined += part;
    }
    return joined;
}

} // namespace

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
    case ScriptRequest::Action::Calendar:
        return calendar(request);
    case ScriptRequest::Action::ExportText:
    case ScriptRequest::Action::ExportHtml:
        return exportPersons(request);
    case ScriptRequest::Action::ExportVcard:
    case ScriptRequest::Action::ExportIcs:
        return exportCards(request);
    case ScriptRequest::Action::ImportVcard:
        return importCards(request);
    case ScriptRequest::Action::Sync:
        return sync(request);
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

ScriptRun::Status ScriptRun::calendar(const ScriptRequest &request)
{
    if (!request.style.isEmpty() && !CalendarStyles::names().contains(request.style)) {
        m_err << kProgram
              << QStringLiteral("There is no calendar style '%1': choose one of %2.")
                     .arg(request.style, CalendarStyles::names().join(QStringLiteral(", ")))
              << Qt::endl;
        return Failed;
    }
    QString error;
    const QString folder = ScriptOutput::folder(request.target, error);
    if (folder.isEmpty())
        return fail(error);
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("Cannot write into %1: the folder does not exist.").arg(folder));
    // The files the calendar is made of, all checked before anything is
    // written: existing ones are replaced only with --force.
    const QString pages = QDir(folder).filePath(QStringLiteral("Calendar"));
    QStringList files{QStringLiteral("calendar.css")};
    const int firstYear = clock().today().year() - 1;
    for (int year = firstYear; year < firstYear + 3; ++year)
        for (int month = 1; month <= 12; ++month)
            files << CalendarGenerator::pageFileName(year, month);
    for (const QString &name : files) {
        const QString path = pages + QLatin1Char('/') + name;
        if (QFileInfo::exists(path) && !request.force)
            return fail(QStringLiteral("%1 exists: give --force to replace the calendar.").arg(path));
    }

    ScriptBook book;
    if (const QString openError = book.openForReading(request); !openError.isEmpty())
        return fail(openError);
    // The choices of this run go into the run's own copy of the settings,
    // where the generator looks for them.
    if (!request.weekStart.isEmpty())
        saveSetting(QStringLiteral("Week Start"), request.weekStart);
    if (!request.style.isEmpty())
        saveSetting(QStringLiteral("Css Calendar"), request.style);
    CalendarGenerator generator;
    if (!generator.generateCalendar())
        return fail(QStringLiteral("The calendar could not be made: %1").arg(oneLine(generator.errorText())));
    CalendarSelection all;
    all.firstYear = generator.firstYear();
    for (auto &year : all.months)
        year.fill(true);
    m_prompts.setAnswerYes(request.force);
    CalendarSaver saver;
    const bool saved = saver.saveCalendarPages(all, generator.folder(), folder);
    generator.deleteCalendarFiles();
    if (!saved)
        return fail(QStringLiteral("The calendar could not be saved: %1").arg(oneLine(saver.errorText())));
    if (saver.copied() != int(files.size()))
        return fail(
            QStringLiteral("The calendar could not be saved: a file appeared in %1 meanwhile.").arg(pages));
    return Done;
}

ScriptRun::Status ScriptRun::everyPerson(const ScriptBook &book, std::vector<int> &contactnrs)
{
    std::vector<PickerPerson> persons;
    if (const DbError e = loadPickerPersons(getSetting(QStringLiteral("List")), persons))
        return fail(QStringLiteral("Cannot read the persons of %1: %2").arg(book.path(), e.description));
    contactnrs.clear();
    contactnrs.reserve(persons.size());
    for (const PickerPerson &person : persons)
        contactnrs.push_back(person.contactnr);
    return Done;
}

ScriptRun::Status ScriptRun::exportPersons(const ScriptRequest &request)
{
    const bool html = request.action == ScriptRequest::Action::ExportHtml;
    if (html && !request.style.isEmpty() && !HtmlExport::styleNames().contains(request.style))
        return fail(QStringLiteral("There is no export style '%1': choose one of %2.")
                        .arg(request.style, HtmlExport::styleNames().join(QStringLiteral(", "))));
    QString error;
    const QString target = ScriptOutput::file(request.target, request.force, error);
    if (target.isEmpty())
        return fail(error);
    ScriptBook book;
    if (const QString openError = book.openForReading(request); !openError.isEmpty())
        return fail(openError);
    std::vector<int> contactnrs;
    if (const Status s = everyPerson(book, contactnrs); s != Done)
        return s;
    // The style of this run goes into the run's own copy of the settings.
    if (html && !request.style.isEmpty())
        saveSetting(QStringLiteral("Css"), request.style);
    const ExportOptions everyDetail;
    FileResult result = html ? HtmlExport::exportHtml(contactnrs, everyDetail)
                             : TextExport::exportText(contactnrs, everyDetail);
    if (result)
        result = html ? HtmlExport::saveHtmlExport(target) : TextExport::saveTextExport(target);
    if (!result)
        return fail(oneLine(result.errorText));
    return Done;
}

ScriptRun::Status ScriptRun::exportCards(const ScriptRequest &request)
{
    QString error;
    const QString target = ScriptOutput::file(request.target, request.force, error);
    if (target.isEmpty())
        return fail(error);
    ScriptBook book;
    if (const QString openError = book.openForReading(request); !openError.isEmpty())
        return fail(openError);
    FileResult result;
    if (request.action == ScriptRequest::Action::ExportIcs) {
        result = BirthdayIcs::saveBook(target, clock().now());
    } else {
        std::vector<int> contactnrs;
        if (const Status s = everyPerson(book, contactnrs); s != Done)
            return s;
        result = VcardExport::exportPersons(QList<int>(contactnrs.begin(), contactnrs.end()),
                                            VcardWriter::Version::V30, target);
    }
    if (!result)
        return fail(oneLine(result.errorText));
    return Done;
}

ScriptRun::Status ScriptRun::importCards(const ScriptRequest &request)
{
    const QString file = QDir::cleanPath(QFileInfo(request.target).absoluteFilePath());
    if (!QFileInfo(file).isFile())
        return fail(QStringLiteral("vCard file not found: %1").arg(file));
    // The file is read first with the book open for reading only: a file
    // that is no vCard leaves the book untouched (not even widened).
    ScriptBook book;
    if (const QString openError = book.openForReading(request); !openError.isEmpty())
        return fail(openError);
    VcardImport import;
    QString error;
    if (!import.load(file, error))
        return fail(oneLine(error));
    if (const QString openError = book.openForWriting(request, m_prompts); !openError.isEmpty())
        return fail(openError);
    if (!import.load(file, error))
        return fail(oneLine(error));
    m_prompts.clear();
    switch (import.write(false)) {
    case VcardImport::Outcome::Written:
        book.setChanged();
        break;
    case VcardImport::Outcome::NothingNew:
        break;
    case VcardImport::Outcome::Declined:
        return fail(QStringLiteral("The book %1 has room for %2 more persons, the file holds %3 new ones: "
                                   "nothing was imported.")
                        .arg(book.path())
                        .arg(import.freeNumbers())
                        .arg(import.newPersons(false)));
    case VcardImport::Outcome::Failed:
        return fail(QStringLiteral("Nothing was imported: %1").arg(m_prompts.lastMessage()));
    }
    m_out << import.summary() << '\n';
    // Closing the book after an import compacts it, as the program does.
    book.close();
    return finishOutput();
}

ScriptRun::Status ScriptRun::sync(const ScriptRequest &request)
{
    // The set-up and the password are checked before the book is touched.
    const SyncSettings settings = SyncSettings::load();
    if (!settings.isSetUp())
        return fail(QStringLiteral("Synchronisation is not set up: enter the server in Options > "
                                   "Synchronisation of the program's window."));
    QString password;
    if (!request.syncPasswordFile.isEmpty()) {
        QString error;
        password = PasswordSource::readFile(request.syncPasswordFile, error);
        if (!error.isEmpty())
            return fail(error);
    } else if (QString reason; !storedSyncPassword(settings, password, reason)) {
        QString line = oneLine(reason);
        if (!line.endsWith(QLatin1Char('.')))
            line += QLatin1Char('.');
        return fail(line + QStringLiteral(" Give the server's password with --sync-password-file FILE."));
    }
    ScriptBook book;
    if (const QString openError = book.openForWriting(request, m_prompts); !openError.isEmpty())
        return fail(openError);
    m_prompts.clear();
    const SyncResult result = syncOpenBook({}, password);
    const SyncSummary &s = result.summary;
    // Closing compacts the book only when the sync changed something in it.
    if (s.pulled || s.pushed || s.removedLocal || s.removedRemote || s.conflicts)
        book.setChanged();
    if (!result.ok)
        return fail(oneLine(result.errorText));
    m_out << s.text().trimmed() << '\n';
    book.close();
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
