#include "settings/IniFile.h"

#include "settings/FileStamp.h"

#include <QFile>
#include <QMutex>
#include <QStringDecoder>

#include <memory>

namespace velmora {

namespace {

// Windows-1252 characters 0x80 to 0x9F; the five unassigned bytes keep their
// own code point, as the system conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(const QByteArray &data)
{
    QString text(data.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : data) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

// Names are compared case-folded. Qt folds a lone surrogate to U+FFFD only
// when a letter before it changed case, so make it U+FFFD first: "[A\xD83B]"
// and "[a\xD83B]" must name the same section.
QString fold(QString name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            name[i] = QChar::ReplacementCharacter;
    }
    return name.toCaseFolded();
}

QString cleanValue(QString value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    if (value.size() > IniFile::kMaxValueLength) {
        int cut = IniFile::kMaxValueLength;
        // Never leave half of a character that needs two UTF-16 units.
        if (value.at(cut - 1).isHighSurrogate())
            --cut;
        value.truncate(cut);
    }
    return value;
}

struct CachedFile {
    FileStamp stamp;
    std::shared_ptr<const IniFile> file;
};

constexpr int kMaxCachedFiles = 8;

} // namespace

QString IniFile::decode(const QByteArray &data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(data.constData() + 3, data.size() - 3);
    if (data.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16.decode(QByteArrayView(data).sliced(2));
    }
    if (data.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16.decode(QByteArrayView(data).sliced(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    return fromCp1252(data);
}

IniFile IniFile::parse(const QByteArray &data)
{
    IniFile ini;
    const QString text = decode(data);
    QHash<QString, QString> *section = &ini.m_sections[QString()];
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text.at(end) != u'\n' && text.at(end) != u'\r')
            ++end;
        const QString line = text.mid(pos, end - pos).trimmed();
        pos = end + 1;
        if (end < size && text.at(end) == u'\r' && pos < size && text.at(pos) == u'\n')
            ++pos;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            qsizetype close = line.indexOf(u']');
            if (close < 0)
                close = line.size();
            section = &ini.m_sections[fold(line.mid(1, close - 1).trimmed())];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = fold(line.left(equals).trimmed());
        if (key.isEmpty() || section->contains(key))
            continue;
        section->insert(key, cleanValue(line.mid(equals + 1).trimmed()));
    }
    return ini;
}

IniFile IniFile::load(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

QString IniFile::value(const QString &section, const QString &key) const
{
    const auto s = m_sections.constFind(fold(section.trimmed()));
    if (s == m_sections.constEnd())
        return {};
    return s->value(fold(key.trimmed()));
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    const auto s = m_sections.constFind(fold(section.trimmed()));
    return s != m_sections.constEnd() && s->contains(fold(key.trimmed()));
}

bool IniFile::hasSection(const QString &section) const
{
    return m_sections.contains(fold(section.trimmed()));
}

int IniFile::keyCount() const
{
    int count = 0;
    for (const auto &section : m_sections)
        count += int(section.size());
    return count;
}

QString IniFile::read(const QString &path, const QString &section, const QString &key)
{
    static QMutex mutex;
    static QHash<QString, CachedFile> cache;

    const FileStamp now = FileStamp::of(path);
    if (!now.exists())
        return {};

    std::shared_ptr<const IniFile> file;
    {
        QMutexLocker lock(&mutex);
        const auto hit = cache.constFind(path);
        if (hit != cache.constEnd() && hit->stamp.unchangedAt(now))
            file = hit->file;
    }
    if (!file) {
        file = std::make_shared<const IniFile>(load(path));
        QMutexLocker lock(&mutex);
        if (cache.size() >= kMaxCachedFiles && !cache.contains(path))
            cache.clear();
        cache.insert(path, CachedFile{now, file});
    }
    return file->value(section, key);
}

} // namespace velmora
