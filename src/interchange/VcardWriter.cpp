#include "interchange/VcardWriter.h"

#include "app/PersonKey.h"
#include "app/ProgramInfo.h"
#include "interchange/ContentLine.h"
#include "interchange/PersonUid.h"

#include <QIODevice>

namespace velmora {

namespace {

// A description the reader gets back whole from TYPE values: lower-case
// words joined by ", ", none of them a word the reader leaves out.
bool isTypeList(const QString &description, QLatin1String defaultType)
{
    if (description.isEmpty())
        return false;
    const QStringList words = description.split(QLatin1String(", "));
    for (const QString &w : words) {
        if (w.isEmpty() || w == QLatin1String("pref") || w == defaultType)
            return false;
        for (QChar c : w) {
            const char16_t u = c.unicode();
            if (!((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-'))
                return false;
        }
        if (w.front() == u'-' || words.count(w) > 1)
            return false;
    }
    return true;
}

void line(QByteArray &out, const QString &text)
{
    ContentLine::appendFolded(out, text.toUtf8());
}

void entries(QByteArray &out, const QList<CardEntry> &list, const QString &name, QLatin1String defaultType,
             VcardWriter::Version version, int &group)
{
    const bool several = list.size() > 1;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString value = trimBlanks(list.at(i).value);
        const QString description = trimBlanks(list.at(i).description);
        const bool pref = several && i == 0;
        QStringList params;
        QString prefix;
        QString label;
        if (isTypeList(description, defaultType)) {
            QString types = description;
            types.remove(u' ');
            if (pref && version == VcardWriter::Version::V30)
                types += QLatin1String(",pref");
            params += QLatin1String("TYPE=") + types;
        } else {
            if (!description.isEmpty()) {
                prefix = QStringLiteral("item%1.").arg(++group);
                label = description;
            }
            if (pref && version == VcardWriter::Version::V30)
                params += QStringLiteral("TYPE=pref");
        }
        if (pref && version == VcardWriter::Version::V40)
            params += QStringLiteral("PREF=1");
        QString text = prefix + name;
        for (const QString &p : params)
            text += QLatin1Char(';') + p;
        line(out, text + QLatin1Char(':') + ContentLine::escaped(value));
        if (!label.isEmpty())
            line(out, prefix + QLatin1String("X-ABLABEL:") + ContentLine::escaped(label));
    }
}

} // namespace

void VcardWriter::appendCard(QByteArray &out, const CardPerson &person, Version version)
{
    const bool v4 = version == Version::V40;
    const QString first = trimBlanks(person.firstName);
    const QString last = trimBlanks(person.lastName);
    out += "BEGIN:VCARD\r\n";
    out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    line(out, QStringLiteral("PRODID:-//Velmora//Velmora ") + programVersion() + QStringLiteral("//EN"));
    line(out, QStringLiteral("UID:") + PersonUid::vcard(person));
    line(out, QStringLiteral("N:") + ContentLine::escaped(last) + QLatin1Char(';') +
                  ContentLine::escaped(first) + QStringLiteral(";;;"));
    QString full = first;
    if (!first.isEmpty() && !last.isEmpty())
        full += QLatin1Char(' ');
    full += last;
    line(out, QStringLiteral("FN:") + ContentLine::escaped(full));
    if (person.dateOfBirth.isValid()) {
        line(out, QStringLiteral("BDAY:") + person.dateOfBirth.toString(v4 ? QStringLiteral("yyyyMMdd")
                                                                           : QStringLiteral("yyyy-MM-dd")));
    }
    const QString address = trimBlanks(person.address);
    if (!address.isEmpty())
        line(out, QStringLiteral("ADR:;;") + ContentLine::escaped(address) + QStringLiteral(";;;;"));
    int group = 0;
    entries(out, person.phones, QStringLiteral("TEL"), QLatin1String("voice"), version, group);
    entries(out, person.emails, QStringLiteral("EMAIL"), QLatin1String("internet"), version, group);
    const QString note = trimBlanks(person.note);
    if (!note.isEmpty())
        line(out, QStringLiteral("NOTE:") + ContentLine::escaped(note));
    out += "END:VCARD\r\n";
}

QByteArray VcardWriter::card(const CardPerson &person, Version version)
{
    QByteArray out;
    appendCard(out, person, version);
    return out;
}

bool VcardWriter::write(QIODevice &device, const QList<CardPerson> &persons, Version version)
{
    QByteArray buffer;
    constexpr qsizetype kChunk = 1 << 16;
    buffer.reserve(kChunk + 4096);
    for (const CardPerson &person : persons) {
        appendCard(buffer, person, version);
        if (buffer.size() >= kChunk) {
            if (device.write(buffer) != buffer.size())
                return false;
            buffer.clear();
        }
    }
    return buffer.isEmpty() || device.write(buffer) == buffer.size();
}

} // namespace velmora
