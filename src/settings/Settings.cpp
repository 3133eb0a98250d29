#include "settings/Settings.h"

#include "app/PersonKey.h"
#include "app/Seams.h"
#include "settings/FileStamp.h"

#include <QSettings>
#include <QStringList>

namespace velmora {

namespace {

// The settings file as this process last read or wrote it. When another
// process (the reminder, a second window) has changed the file since, the
// store reads it again before answering.
struct StoreState {
    const QSettings *store = nullptr;
    QString fileName;
    FileStamp stamp;
};

StoreState &state()
{
    static StoreState s;
    return s;
}

void remember(QSettings &store, const FileStamp &stamp)
{
    StoreState &s = state();
    s.store = &store;
    s.fileName = store.fileName();
    s.stamp = stamp;
}

QSettings &freshStore()
{
    QSettings &store = settingsStore();
    StoreState &s = state();
    const QString fileName = store.fileName();
    const FileStamp now = FileStamp::of(fileName);
    if (s.store != &store || s.fileName != fileName || !s.stamp.unchangedAt(now)) {
        store.sync();
        remember(store, now);
    }
    return store;
}

void write(QSettings &store)
{
    store.sync();
    // Our own write changed the file: take its new state, so the next read does
    // not parse it again for nothing (unless its time is too fresh to trust).
    remember(store, FileStamp::of(store.fileName()));
}

} // namespace

QString getSetting(const QString &name)
{
    if (name.isEmpty())
        return {};
    const QVariant value = freshStore().value(name);
    QString text;
    switch (value.typeId()) {
    case QMetaType::QString:
        text = value.toString();
        break;
    case QMetaType::QStringList:
        // A value written by hand with unquoted commas.
        text = value.toStringList().join(QLatin1Char(','));
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        text = value.toString();
        break;
    default:
        // Missing, or a value of a kind this program never writes.
        return {};
    }
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

void saveSetting(const QString &name, const QString &value)
{
    if (name.isEmpty())
        return;
    QSettings &store = freshStore();
    // Blanks only: a tab, a line break or a no-break space is part of the value.
    store.setValue(name, trimBlanks(value));
    write(store);
}

void deleteSetting(const QString &name)
{
    if (name.isEmpty())
        return;
    QSettings &store = freshStore();
    if (!store.contains(name))
        return;
    store.remove(name);
    write(store);
}

bool settingsExist()
{
    QSettings &store = freshStore();
    return FileStamp::of(store.fileName()).exists() || !store.allKeys().isEmpty();
}

} // namespace velmora
