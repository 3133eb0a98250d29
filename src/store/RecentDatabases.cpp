#include "store/RecentDatabases.h"

#include "app/Paths.h"
#include "app/Seams.h"
#include "settings/Settings.h"
#include "store/Database.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {
const QString kDefaultDatabase = QStringLiteral("Default database");
}

RecentDatabases &RecentDatabases::instance()
{
    static RecentDatabases recent;
    return recent;
}

QString RecentDatabases::settingName(int index)
{
    return QStringLiteral("Recent %1").arg(index + 1);
}

QStringList RecentDatabases::entries()
{
    QStringList list;
    for (int i = 0; i < kCount; ++i)
        list << getSetting(settingName(i));
    return list;
}

void RecentDatabases::addRecent(const QString &path)
{
    const QStringList r = entries();
    if (path == r[0])
        return;
    // Everything above the path moves down one place; the path goes to the
    // top. A path not in the list pushes the last entry out.
    int found = r.indexOf(path);
    if (found < 0)
        found = kCount - 1;
    for (int i = found; i > 0; --i)
        saveSetting(settingName(i), r[i - 1]);
    saveSetting(settingName(0), path);
    emit changed();
}

void RecentDatabases::removeRecent(int index)
{
    if (index < 0 || index >= kCount)
        return;
    const QStringList r = entries();
    for (int i = index; i < kCount - 1; ++i)
        saveSetting(settingName(i), r[i + 1]);
    saveSetting(settingName(kCount - 1), QString());
    emit changed();
}

bool RecentDatabases::openRecent(int index)
{
    if (index < 0 || index >= kCount)
        return false;
    const QString path = getSetting(settingName(index));
    Database &db = Database::instance();
    if (db.isValidDatabase(path))
        return db.openDatabase(path);
    removeRecent(index);
    return false;
}

QString RecentDatabases::standardDatabasePath()
{
    return paths().documentsFolder() + QStringLiteral("/Velmora.mdb");
}

void RecentDatabases::openDefaultDatabase()
{
    Database &db = Database::instance();
    const QString defaultPath = getSetting(kDefaultDatabase);
    if (!defaultPath.isEmpty()) {
        if (db.isValidDatabase(defaultPath))
            db.openDatabase(defaultPath);
        else
            saveSetting(kDefaultDatabase, QString());
        return;
    }
    const QString standard = standardDatabasePath();
    if (QFileInfo::exists(standard)) {
        // Checked like any other file, so a protected standard file asks for
        // its password instead of failing to open.
        if (db.isValidDatabase(standard))
            db.openDatabase(standard);
        return;
    }
    QDir().mkpath(paths().documentsFolder());
    db.newDatabase(standard);
}

QString RecentDatabases::shortenPath(const QString &path)
{
    const QChar slash = QLatin1Char('/');
    // The root "/" is the first character; the first folder's name ends at
    // the first "/" after it.
    const qsizetype f = path.indexOf(slash, 1);
    const qsizetype l = path.lastIndexOf(slash);
    const qsizetype s = l > 0 ? path.lastIndexOf(slash, l - 1) : -1;
    if (f < 0 || f == l || f == s)
        return path;
    return path.left(f + 1) + QStringLiteral("...") + path.mid(s);
}

} // namespace velmora
