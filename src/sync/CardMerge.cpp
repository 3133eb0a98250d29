#include "sync/CardMerge.h"

#include "interchange/ContentLine.h"
#include "interchange/VcardReader.h"
#include "interchange/VcardWriter.h"

#include <QHash>
#include <QList>
#include <QSet>

namespace velmora {

namespace {

struct Line {
    QByteArray text;  // unfolded, without line end
    QByteArray group; // upper case
    QByteArray name;  // upper case
};

// The content lines of the first card in the bytes, unfolded.
QList<Line> cardLines(const QByteArray &bytes)
{
    QList<QByteArray> raw;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!raw.isEmpty() && !line.isEmpty() && (line.front() == ' ' || line.front() == '\t'))
            raw.last() += line.sliced(1);
        else
            raw += line.toByteArray();
    }
    QList<Line> lines;
    bool inCard = false;
    for (const QByteArray &text : std::as_const(raw)) {
        qsizetype stop = 0;
        while (stop < text.size() && text.at(stop) != ';' && text.at(stop) != ':')
            ++stop;
        const QByteArray full = text.left(stop).trimmed().toUpper();
        const qsizetype dot = full.lastIndexOf('.');
        Line l{text, dot < 0 ? QByteArray() : full.left(dot), dot < 0 ? full : full.mid(dot + 1)};
        if (l.name == "BEGIN" && text.mid(stop + 1).trimmed().toUpper() == "VCARD") {
            inCard = true;
            continue;
        }
        if (!inCard)
            continue;
        if (l.name == "END" && text.mid(stop + 1).trimmed().toUpper() == "VCARD")
            break;
        if (!text.trimmed().isEmpty())
            lines += l;
    }
    return lines;
}

QByteArray valueOf(const Line &l)
{
    const qsizetype colon = l.text.indexOf(':');
    return colon < 0 ? QByteArray() : l.text.mid(colon + 1).trimmed();
}

bool isMapped(const QByteArray &name)
{
    static const QSet<QByteArray> names = {"N", "FN", "BDAY", "ADR", "NOTE", "TEL", "EMAIL"};
    return names.contains(name);
}

// What is kept of the server's card: its version, UID line and every
// property the book has no field for.
struct ServerParts {
    QByteArray version;
    QByteArray uidLine;
    QList<Line> kept;
};

ServerParts serverParts(const QByteArray &serverCard)
{
    ServerParts parts;
    const QList<Line> lines = cardLines(serverCard);
    QSet<QByteArray> entryGroups;
    for (const Line &l : lines) {
        if ((l.name == "TEL" || l.name == "EMAIL") && !l.group.isEmpty())
            entryGroups.insert(l.group);
    }
    for (const Line &l : lines) {
        if (l.name == "VERSION") {
            parts.version = valueOf(l);
        } else if (l.name == "UID") {
            if (parts.uidLine.isEmpty())
                parts.uidLine = l.text;
        } else if (l.name == "PRODID" || l.name == "REV" || isMapped(l.name) ||
                   (l.name == "X-ABLABEL" && entryGroups.contains(l.group))) {
            continue;
        } else {
            parts.kept += l;
        }
    }
    return parts;
}

// The note lines reading the kept properties gives: the properties read on
// their own, under a name of no consequence.
QString keptNote(const ServerParts &parts)
{
    if (parts.kept.isEmpty())
        return {};
    QByteArray card = "BEGIN:VCARD\r\nVERSION:" + (parts.version.isEmpty() ? "3.0" : parts.version) +
                      "\r\nN:Kept;Lines;;;\r\n";
    for (const Line &l : parts.kept)
        card += l.text + "\r\n";
    card += "END:VCARD\r\n";
    const VcardReadResult read = VcardReader::read(card);
    return read.persons.isEmpty() ? QString() : read.persons.first().note;
}

QString stripped(const QString &note, const QString &kept)
{
    if (kept.isEmpty() || note.isEmpty())
        return note;
    if (note == kept)
        return {};
    if (note.endsWith(QLatin1Char('\n') + kept))
        return note.left(note.size() - kept.size() - 1);
    // The lines are no longer together at the end: each one taken out where
    // it stands last.
    QStringList lines = note.split(u'\n');
    for (const QString &k : kept.split(u'\n')) {
        const qsizetype at = lines.lastIndexOf(k);
        if (at >= 0)
            lines.removeAt(at);
    }
    return lines.join(u'\n');
}

int itemNumber(const QByteArray &group)
{
    if (!group.startsWith("ITEM"))
        return 0;
    bool ok = false;
    const int n = group.mid(4).toInt(&ok);
    return ok ? n : 0;
}

} // namespace

QString CardMerge::noteWithoutKeptLines(const QString &note, const QByteArray &serverCard)
{
    return stripped(note, keptNote(serverParts(serverCard)));
}

QByteArray CardMerge::card(const CardPerson &person, const QByteArray &serverCard, const QString &uid)
{
    const ServerParts parts = serverCard.isEmpty() ? ServerParts{} : serverParts(serverCard);
    const bool v4 = parts.version == "4.0";
    CardPerson written = person;
    written.note = stripped(person.note, keptNote(parts));
    const QList<Line> ours =
        cardLines(VcardWriter::card(written, v4 ? VcardWriter::Version::V40 : VcardWriter::Version::V30));

    // The writer's groups (item1, item2 ...) renamed where the kept
    // properties use the same name.
    QSet<QByteArray> keptGroups;
    int highest = 0;
    for (const Line &l : parts.kept) {
        if (!l.group.isEmpty()) {
            keptGroups.insert(l.group);
            highest = qMax(highest, itemNumber(l.group));
        }
    }
    QHash<QByteArray, QByteArray> renamed;

    QByteArray out = "BEGIN:VCARD\r\n";
    for (const Line &l : ours) {
        if (l.name == "UID") {
            if (!parts.uidLine.isEmpty())
                ContentLine::appendFolded(out, parts.uidLine);
            else
                ContentLine::appendFolded(out, "UID:" + ContentLine::escaped(uid).toUtf8());
            continue;
        }
        if (l.group.isEmpty() || !keptGroups.contains(l.group)) {
            ContentLine::appendFolded(out, l.text);
            continue;
        }
        auto it = renamed.find(l.group);
        if (it == renamed.end()) {
            QByteArray name;
            do
                name = "item" + QByteArray::number(++highest);
            while (keptGroups.contains(name.toUpper()));
            it = renamed.insert(l.group, name);
        }
        const qsizetype dot = l.text.indexOf('.');
        ContentLine::appendFolded(out, *it + l.text.mid(dot));
    }
    for (const Line &l : parts.kept)
        ContentLine::appendFolded(out, l.text);
    out += "END:VCARD\r\n";
    return out;
}

} // namespace velmora
