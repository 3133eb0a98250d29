#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace velmora {

// A reader of INI files (language files, the old per-user settings file) with
// the rules of the classic profile-string functions:
// - section and key names are matched without regard to case;
// - blanks around section names, keys and values are ignored;
// - a value enclosed in double or single quotation marks loses them;
// - a value is cut to 254 characters;
// - a missing file, section or key reads as nothing found;
// - the first of several equal keys counts; a section may be split in parts.
// Files are UTF-8 (with or without byte order mark), UTF-16 with a byte order
// mark, or Windows-1252 when they are not valid UTF-8. Lines without "=" and
// lines starting with ";" hold no key. Malformed files read as whatever keys
// they hold.
class IniFile {
public:
    static constexpr int kMaxValueLength = 254;

    IniFile() = default;
    // Parses the file now; a missing or unreadable file gives an empty reading.
    static IniFile load(const QString &path);
    static IniFile parse(const QByteArray &data);

    // The value of key in section; empty when nothing is found.
    QString value(const QString &section, const QString &key) const;
    bool contains(const QString &section, const QString &key) const;
    bool hasSection(const QString &section) const;
    int keyCount() const;

    // One key of one file, read through a cache that notices changed files, so
    // a file is parsed once and not on every call.
    static QString read(const QString &path, const QString &section, const QString &key);

    // Bytes of a text file as text: UTF-8, UTF-16 with byte order mark, or
    // Windows-1252 when the bytes are not valid UTF-8.
    static QString decode(const QByteArray &data);

private:
    // Section name (case folded) -> key (case folded) -> value.
    QHash<QString, QHash<QString, QString>> m_sections;
};

} // namespace velmora
