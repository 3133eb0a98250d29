#include "birthdays/LogonEntry.h"

#include "app/Launcher.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace velmora {

namespace {

const QString kReminderSetting = QStringLiteral("Birthday reminder");

QString thisExecutable()
{
    return QCoreApplication::applicationFilePath();
}

// A desktop entry string value: backslash and control characters escaped.
QString escapeValue(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void tellUser(const QString &text, const QString &path)
{
    prompts().message(text + QLatin1Char('\n') + path, T("Error"), Icon::Exclamation, Buttons::Ok);
}

bool writeEntry()
{
    const QString file = logonEntryFile();
    const QString folder = QFileInfo(file).absolutePath();
    QSaveFile out(file);
    const bool written = QDir().mkpath(folder) && out.open(QIODevice::WriteOnly) &&
                         out.write(logonEntryContent(thisExecutable())) >= 0 && out.commit();
    if (!written)
        tellUser(T("The birthday reminder could not be set to start at log-on:"), file);
    return written;
}

} // namespace

QString logonEntryFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
           QStringLiteral("/autostart/velmora-birthday-reminder.desktop");
}

QString logonEntryExec(const QString &executable)
{
    // Inside the quotes of an Exec argument, '"', '`', '$' and '\' carry a
    // backslash; '%' starts a field code and is doubled.
    QString quoted;
    for (const QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += QLatin1Char('\\');
        if (c == u'%')
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return escapeValue(QLatin1Char('"') + quoted + QLatin1Char('"')) + QStringLiteral(" /Reminder");
}

QByteArray logonEntryContent(const QString &executable)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Velmora Birthday reminder\n"
                                        "Exec=") +
                         logonEntryExec(executable) +
                         QStringLiteral("\n"
                                        "Terminal=false\n"
                                        "NoDisplay=true\n"
                                        "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

QString readLogonEntryExec(const QByteArray &content)
{
    const QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
    bool inEntry = false;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            inEntry = trimmed == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == QLatin1String("Exec"))
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

bool enableReminder()
{
    if (getSetting(kReminderSetting) != QLatin1String("1")) {
        if (fileExists(getSetting(QStringLiteral("Default database"))))
            launcher().startSelf({QStringLiteral("/Reminder")});
        saveSetting(kReminderSetting, QStringLiteral("1"));
    }
    return writeEntry();
}

bool disableReminder()
{
    saveSetting(kReminderSetting, QStringLiteral("0"));
    const QString file = logonEntryFile();
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (QFile::remove(file))
        return true;
    tellUser(T("The birthday reminder could not be kept from starting at log-on:"), file);
    return false;
}

bool logonEntryOutdated()
{
    QFile file(logonEntryFile());
    if (!file.open(QIODevice::ReadOnly))
        return true;
    // An entry file is a few lines; anything much larger is not ours.
    const QByteArray content = file.read(64 * 1024);
    return readLogonEntryExec(content) != logonEntryExec(thisExecutable());
}

void refreshLogonEntry()
{
    if (getSetting(kReminderSetting) == QLatin1String("1") && logonEntryOutdated())
        enableReminder();
}

} // namespace velmora
