#include "app/ErrorLog.h"

#include "app/Clock.h"
#include "app/Launcher.h"
#include "app/Paths.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/Website.h"
#include "settings/Translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace velmora {

namespace {

const QString kLogName = QStringLiteral("Velmora.log");

// The user's time format without the time zone the long form carries.
QString userTimeFormat()
{
    const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.trimmed();
}

bool appendTo(const QString &path, const QByteArray &line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool ok = file.write(line) == line.size();
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

void componentReport(const char *name, const QString &firstLine, int number, const QString &description)
{
    const QString entry = QString::fromLatin1(name) + QStringLiteral(": ") + QString::number(number) +
                          QLatin1Char(' ') + description;
    writeLog(entry);
    const QString text = firstLine + QStringLiteral("\n\n") +
                         QStringLiteral("You need to download it from the website of Velmora:") +
                         QLatin1Char('\n') + websiteAddress() + QStringLiteral("\n\n") + entry;
    const Answer answer =
        prompts().message(text, T("Error") + QLatin1Char('!'), Icon::Critical, Buttons::OkCancel);
    if (answer == Answer::Ok)
        launcher().openUrl(websiteAddress());
}

} // namespace

QString logFilePath()
{
    return paths().programFolder() + QLatin1Char('/') + kLogName;
}

QString fallbackLogFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Velmora/") + kLogName;
}

QString logLine(const QDateTime &at, const QString &text)
{
    const QLocale locale = QLocale::system();
    return locale.toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(at.time(), userTimeFormat()) + QStringLiteral(" - ") + text +
           QStringLiteral("\r\n");
}

void writeLog(const QString &text)
{
    const QByteArray line = logLine(clock().now(), text).toUtf8();
    if (appendTo(logFilePath(), line))
        return;
    // The program folder is often not writable (an installed copy): keep the
    // log in the user's data folder instead. When that fails too the entry
    // is dropped; reporting an error must never fail the report.
    const QString fallback = fallbackLogFilePath();
    QDir().mkpath(QFileInfo(fallback).absolutePath());
    appendTo(fallback, line);
}

void mdacError(int number, const QString &description)
{
    componentReport("MdacError", QStringLiteral("MDAC (Microsoft Data Access Components) is missing!"),
                    number, description);
}

void jetError(int number, const QString &description)
{
    componentReport("JetError",
                    QStringLiteral("Microsoft Jet 4.0 is missing or the database is not accessible!"), number,
                    description);
}

void reportError(const QString &logPrefix, int number, const QString &description)
{
    const QString detail = QString::number(number) + QStringLiteral(": ") + description;
    prompts().message(T("Error") + QLatin1Char(' ') + detail, T("Error"), Icon::Exclamation, Buttons::Ok);
    writeLog(logPrefix + detail);
}

} // namespace velmora
