#include "FuzzEntries.h"
#include "FuzzWorld.h"

#include "settings/IniFile.h"

#include <QFile>
#include <QHash>
#include <QStringList>

namespace velmora::fuzz {

namespace {

// The profile-string rules written out plainly, line by line.
struct Key {
    QString section;
    QString key;
    QString value;
};

QString folded(const QString &name);

QList<Key> plainReading(const QString &text)
{
    QList<Key> keys;
    QHash<QString, bool> seen;
    QString section;
    // Split by hand: a regular expression refuses a text holding a lone
    // surrogate, which a UTF-16 file may well contain.
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(current);
            current.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            current.append(c);
        }
    }
    lines.append(current);
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            section = line.mid(1).section(u']', 0, 0).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 1)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString id = folded(section) + QChar(0) + folded(key);
        if (key.isEmpty() || seen.contains(id))
            continue;
        seen.insert(id, true);
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        keys.append({section, key, value});
    }
    return keys;
}

// Case-folded, with every lone surrogate read as U+FFFD first.
QString folded(const QString &name)
{
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(name.at(++i));
        } else {
            out.append(c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c);
        }
    }
    return out.toCaseFolded();
}

// The name with the case of its ASCII letters turned round: the reader must
// find it all the same.
QString otherCase(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

} // namespace

QString iniEntry(QByteArrayView data)
{
    const QByteArray bytes = data.toByteArray();
    const IniFile ini = IniFile::parse(bytes);
    const QString text = IniFile::decode(bytes);
    if (!bytes.startsWith("\xEF\xBB\xBF") && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF") &&
        QString::fromUtf8(bytes).toUtf8() == bytes && text != QString::fromUtf8(bytes))
        return QStringLiteral("valid UTF-8 read differently");

    const QList<Key> keys = plainReading(text);
    if (ini.keyCount() != keys.size())
        return QStringLiteral("%1 keys read, %2 in the file").arg(ini.keyCount()).arg(keys.size());
    for (const Key &k : keys) {
        const QString value =
            ini.value(QLatin1Char(' ') + otherCase(k.section), otherCase(k.key) + QLatin1Char(' '));
        const QString expected = k.value.left(IniFile::kMaxValueLength);
        // A value cut in the middle of a character loses the whole character.
        const bool cutPair = k.value.size() > IniFile::kMaxValueLength &&
                             k.value.at(IniFile::kMaxValueLength - 1).isHighSurrogate();
        if (value != (cutPair ? expected.chopped(1) : expected))
            return QStringLiteral("[%1] %2 read as \"%3\", not \"%4\"")
                .arg(k.section, k.key, value, expected);
        if (!ini.contains(k.section, k.key) || !ini.hasSection(k.section))
            return QStringLiteral("[%1] %2 not found").arg(k.section, k.key);
    }

    // A language file on disk reads the same, and again after it changed.
    const QString path = FuzzWorld::instance().file(QStringLiteral("program/fuzz.ini"));
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    for (int round = 0; round < (utf16 ? 1 : 2); ++round) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write %1").arg(path);
        file.write(round == 0 ? bytes : bytes + "\n[Fuzz]\nround=2\n");
        file.close();
        const QString expected = round == 0 ? QString() : QStringLiteral("2");
        if (!ini.hasSection(QStringLiteral("Fuzz")) &&
            IniFile::read(path, QStringLiteral("Fuzz"), QStringLiteral("round")) != expected)
            return QStringLiteral("the file on disk read stale in round %1").arg(round + 1);
        for (const Key &k : keys) {
            if (IniFile::read(path, k.section, k.key) != ini.value(k.section, k.key))
                return QStringLiteral("[%1] %2 reads differently from the file").arg(k.section, k.key);
        }
    }
    return {};
}

} // namespace velmora::fuzz
