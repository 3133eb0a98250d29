#include "interchange/VcardMapper.h"

#include "app/PersonKey.h"
#include "interchange/ContentLine.h"
#include "settings/Translate.h"

#include <QHash>
#include <algorithm>

namespace velmora {

namespace {

// Properties that describe the card rather than the person: nothing of the
// person is lost when they are left out.
bool isCardHousekeeping(const QByteArray &name)
{
    static const QList<QByteArray> names = {"BEGIN",
                                            "END",
                                            "VERSION",
                                            "PRODID",
                                            "REV",
                                            "UID",
                                            "CLIENTPIDMAP",
                                            "SORT-STRING",
                                            "NAME",
                                            "SOURCE",
                                            "X-ABUID",
                                            "X-ABSHOWAS",
                                            "X-ABADR",
                                            "X-MS-OL-DESIGN",
                                            "X-EVOLUTION-FILE-AS",
                                            "X-MOZILLA-HTML",
                                            "MAILER",
                                            "AGENT",
                                            "X-MS-OL-DEFAULT-POSTAL-ADDRESS"};
    return names.contains(name);
}

// The label a note line gets for a property.
QString labelOf(const VcardProperty &p)
{
    const QByteArray &n = p.name;
    if (n == "ORG")
        return T("Organization");
    if (n == "TITLE")
        return T("Title");
    if (n == "ROLE")
        return T("Role");
    if (n == "NICKNAME")
        return T("Nickname");
    if (n == "URL")
        return T("Website");
    if (n == "ANNIVERSARY" || n == "X-ANNIVERSARY")
        return T("Anniversary");
    if (n == "IMPP")
        return T("Instant messaging");
    if (n == "BDAY")
        return T("Birthday");
    if (n == "ADR" || n == "LABEL")
        return T("Address");
    if (n == "TEL")
        return T("Phone");
    if (n == "EMAIL")
        return T("E-mail");
    if (n == "PHOTO")
        return T("Photo");
    if (n == "CATEGORIES")
        return T("Categories");
    if (n == "GENDER")
        return T("Gender");
    return QString::fromUtf8(p.rawName);
}

bool isBinary(const VcardProperty &p)
{
    const QByteArray encoding = p.param("ENCODING").toUpper();
    if (encoding == "B" || encoding == "BASE64")
        return true;
    if (p.param("VALUE").toUpper() == "BINARY")
        return true;
    const QByteArray start = p.value.left(5).toLower();
    return start == "data:" && p.value.left(200).toLower().contains(";base64,");
}

// Apple writes its own labels as _$!<Mobile>!$_.
QString cleanLabel(QString label)
{
    if (label.startsWith(QLatin1String("_$!<")) && label.endsWith(QLatin1String(">!$_")))
        label = label.mid(4, label.size() - 8).toLower();
    return label.trimmed();
}

// A text cut to a field's width, never inside a surrogate pair.
QString cut(const QString &text, int width)
{
    if (text.size() <= width)
        return text;
    int n = width;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

QString joinNonEmpty(const QStringList &parts, const QString &separator)
{
    QStringList kept;
    for (const QString &p : parts) {
        const QString t = trimBlanks(p);
        if (!t.isEmpty())
            kept += t;
    }
    return kept.join(separator);
}

struct Entry {
    CardEntry entry;
    int rank = 101; // PREF: 1 most preferred; none after every preferred one
    QString types;  // for a note line
};

class Mapping {
public:
    Mapping(const VcardCard &card, VcardMapper::Counts &counts)
        : m_card(card), m_counts(counts), m_v21(card.version == "2.1")
    {
        for (const VcardProperty &p : card.properties) {
            if (p.name == "X-ABLABEL" && !p.group.isEmpty())
                m_groupLabels.insert(p.group.toUpper(), cleanLabel(text(p)));
        }
    }

    bool run(CardPerson &person, QString &reason);

private:
    // A value decoded and unescaped, every line break as one LF: quoted-
    // printable values of 2.1 carry CR LF or a lone CR, and the writer turns
    // any of them into "\n", so a person read from a card comes back equal
    // from its own card.
    QString text(const VcardProperty &p) const
    {
        return oneLineBreak(ContentLine::unescaped(ContentLine::decodedValue(p), m_v21));
    }
    QStringList components(const VcardProperty &p) const
    {
        QStringList parts = ContentLine::splitEscaped(ContentLine::decodedValue(p), u';');
        for (QString &part : parts)
            part = oneLineBreak(ContentLine::unescaped(part, m_v21));
        return parts;
    }
    static QString oneLineBreak(QString value)
    {
        if (value.contains(u'\r')) {
            value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            value.replace(u'\r', u'\n');
        }
        return value;
    }
    // The types of a property as a description: lower case, the preference
    // and the default types left out, or the label of its group.
    QString description(const VcardProperty &p, const char *defaultType) const
    {
        if (!p.group.isEmpty()) {
            const QString label = m_groupLabels.value(p.group.toUpper());
            if (!label.isEmpty())
                return label;
        }
        QStringList types;
        for (const QByteArray &t : p.paramValues("TYPE")) {
            const QString type = oneLineBreak(QString::fromUtf8(t).trimmed().toLower());
            if (type.isEmpty() || type == QLatin1String("pref") || type == QLatin1String(defaultType) ||
                types.contains(type))
                continue;
            types += type;
        }
        return types.join(QLatin1String(", "));
    }
    int rank(const VcardProperty &p) const
    {
        int best = 101;
        const QByteArray pref = p.param("PREF");
        if (!pref.isEmpty()) {
            bool ok = false;
            const int v = pref.toInt(&ok);
            if (ok)
                best = qBound(1, v, 100);
        }
        for (const QByteArray &t : p.paramValues("TYPE")) {
            if (t.toUpper() == "PREF")
                best = qMin(best, 1);
        }
        return best;
    }
    void noteLine(const QString &label, const QString &types, const QString &value)
    {
        QString line = label;
        if (!types.isEmpty())
            line += QLatin1String(" (") + types + QLatin1Char(')');
        QString shown = value;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        m_extra += line + QLatin1String(": ") + shown.trimmed();
        ++m_counts.fieldsInNote;
    }
    void noteProperty(const VcardProperty &p, const QString &value)
    {
        if (value.trimmed().isEmpty())
            return;
        noteLine(labelOf(p), description(p, ""), value);
    }
    void addEntry(const VcardProperty &p, QList<Entry> &list, const char *defaultType)
    {
        QString value = text(p).trimmed();
        if (p.name == "TEL" && value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            value = value.mid(4).trimmed();
        if (p.name == "EMAIL" && value.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
            value = value.mid(7).trimmed();
        if (value.isEmpty())
            return;
        Entry e;
        e.entry = {value, description(p, defaultType)};
        e.rank = rank(p);
        list += e;
    }
    void placeEntries(QList<Entry> &list, QList<CardEntry> &out, int width, bool phones)
    {
        std::stable_sort(list.begin(), list.end(),
                         [](const Entry &a, const Entry &b) { return a.rank < b.rank; });
        for (const Entry &e : list) {
            if (e.entry.value.size() > width || e.entry.description.size() > VcardMapper::kDescriptionWidth ||
                out.size() >= VcardMapper::kMaxEntries)
                noteLine(phones ? T("Phone") : T("E-mail"), e.entry.description, e.entry.value);
            else
                out += e.entry;
        }
    }
    QString addressText(const VcardProperty &p) const
    {
        QStringList c = components(p);
        c.resize(7);
        // PO box, extended address, street, locality, region, postal code,
        // country: one line each, the postal code before the place.
        return joinNonEmpty({c[0], c[1], c[2], joinNonEmpty({c[5], c[3]}, QStringLiteral(" ")), c[4], c[6]},
                            QStringLiteral("\n"));
    }

    const VcardCard &m_card;
    VcardMapper::Counts &m_counts;
    bool m_v21;
    QHash<QByteArray, QString> m_groupLabels;
    QStringList m_extra;
};

bool Mapping::run(CardPerson &person, QString &reason)
{
    person = CardPerson{};
    QStringList name; // family, given, additional, prefixes, suffixes
    QString formatted;
    QString organization;
    QStringList notes;
    QList<Entry> phones;
    QList<Entry> emails;
    struct Address {
        QString text;
        QString types;
        int rank;
    };
    QList<Address> addresses;
    QString label;
    bool birthdaySeen = false;

    for (const VcardProperty &p : m_card.properties) {
        const QByteArray &n = p.name;
        if (isCardHousekeeping(n) || n == "X-ABLABEL")
            continue;
        if (isBinary(p)) {
            ++m_counts.binaryLeftOut;
            continue;
        }
        if (n == "N") {
            if (name.isEmpty()) {
                name = ContentLine::splitEscaped(ContentLine::decodedValue(p), u';');
                name.resize(5);
                for (QString &part : name) {
                    // Lists of names (additional names "Quincy,Adams") as
                    // words; 2.1 has no lists.
                    QStringList words = m_v21 ? QStringList{part} : ContentLine::splitEscaped(part, u',');
                    for (QString &word : words)
                        word = oneLineBreak(ContentLine::unescaped(word, m_v21));
                    part = joinNonEmpty(words, QStringLiteral(" "));
                }
            }
        } else if (n == "FN") {
            if (formatted.isEmpty())
                formatted = trimBlanks(text(p));
        } else if (n == "KIND") {
            const QString kind = text(p).trimmed().toLower();
            if (!kind.isEmpty() && kind != QLatin1String("individual"))
                noteProperty(p, text(p));
        } else if (n == "TEL") {
            addEntry(p, phones, "voice");
        } else if (n == "EMAIL") {
            addEntry(p, emails, "internet");
        } else if (n == "ADR") {
            const QString a = addressText(p);
            if (!a.isEmpty())
                addresses += Address{a, description(p, ""), rank(p)};
        } else if (n == "LABEL") {
            if (label.isEmpty())
                label = text(p).trimmed();
        } else if (n == "NOTE") {
            const QString note = trimBlanks(text(p));
            if (!note.isEmpty())
                notes += note;
        } else if (n == "BDAY") {
            const QString value = text(p);
            QDate date = VcardMapper::parseDate(value);
            // Apple writes a birthday without a year with a year of its own.
            const QByteArray omit = p.param("X-APPLE-OMIT-YEAR");
            if (date.isValid() && !omit.isEmpty() && omit.toInt() == date.year()) {
                noteProperty(p, date.toString(QStringLiteral("--MM-dd")));
                continue;
            }
            if (p.param("VALUE").toLower() == "text")
                date = QDate();
            if (!birthdaySeen && date.isValid()) {
                person.dateOfBirth = date;
                birthdaySeen = true;
            } else {
                noteProperty(p, value);
            }
        } else if (n == "ORG") {
            const QString org = joinNonEmpty(components(p), QStringLiteral(", "));
            if (organization.isEmpty())
                organization = org;
            noteProperty(p, org);
        } else if (n == "X-ANDROID-CUSTOM") {
            // vnd.android.cursor.item/nickname;Jockel;...: the kind and the
            // value.
            const QStringList c = components(p);
            const QString kind = c.value(0).section(u'/', -1);
            if (c.size() > 1 && !trimBlanks(c.at(1)).isEmpty())
                noteLine(kind == QLatin1String("nickname") ? T("Nickname") : kind, QString(), c.at(1));
        } else {
            noteProperty(p, text(p));
        }
    }

    // Names: N, or FN cut at its last blank, or the organization, or the
    // first e-mail address or phone number.
    QString first =
        joinNonEmpty({name.value(3), name.value(1), name.value(2), name.value(4)}, QStringLiteral(" "));
    QString last = trimBlanks(name.value(0));
    if (first.isEmpty() && last.isEmpty()) {
        const QString fallback = !formatted.isEmpty()      ? formatted
                                 : !organization.isEmpty() ? organization
                                 : !emails.isEmpty()       ? emails.first().entry.value
                                 : !phones.isEmpty()       ? phones.first().entry.value
                                                           : QString();
        if (fallback.isEmpty()) {
            reason = T("The card holds no name, e-mail address or phone number.");
            return false;
        }
        const qsizetype blank = formatted.isEmpty() ? -1 : fallback.lastIndexOf(u' ');
        if (blank > 0) {
            first = fallback.left(blank).trimmed();
            last = fallback.mid(blank + 1).trimmed();
        } else {
            last = fallback;
        }
    }
    if (first.size() > VcardMapper::kNameWidth || last.size() > VcardMapper::kNameWidth) {
        noteLine(T("Name"), QString(), joinNonEmpty({first, last}, QStringLiteral(" ")));
        first = trimBlanks(cut(first, VcardMapper::kNameWidth));
        last = trimBlanks(cut(last, VcardMapper::kNameWidth));
    }
    person.firstName = first;
    person.lastName = last;

    std::stable_sort(addresses.begin(), addresses.end(),
                     [](const Address &a, const Address &b) { return a.rank < b.rank; });
    if (!addresses.isEmpty()) {
        person.address = addresses.first().text;
        for (qsizetype i = 1; i < addresses.size(); ++i) {
            QString oneLine = addresses.at(i).text;
            oneLine.replace(u'\n', QLatin1String(", "));
            noteLine(T("Address"), addresses.at(i).types, oneLine);
        }
    } else {
        person.address = label;
    }

    placeEntries(phones, person.phones, VcardMapper::kNumberWidth, true);
    placeEntries(emails, person.emails, VcardMapper::kEmailWidth, false);

    QStringList noteParts = notes;
    noteParts += m_extra;
    person.note = noteParts.join(u'\n');
    return true;
}

int number(QStringView digits)
{
    int v = 0;
    for (QChar c : digits) {
        if (!c.isDigit() || c.unicode() > '9')
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return digits.isEmpty() ? -1 : v;
}

} // namespace

bool VcardMapper::toPerson(const VcardCard &card, CardPerson &person, Counts &counts, QString &reason)
{
    Mapping mapping(card, counts);
    return mapping.run(person, reason);
}

QDate VcardMapper::parseDate(QStringView value)
{
    QStringView v = value.trimmed();
    while (v.endsWith(u';'))
        v.chop(1);
    v = v.trimmed();
    // A time (and zone) after the date changes nothing: a birthday is a day.
    for (const QChar stop : {QChar(u'T'), QChar(u't'), QChar(u' ')}) {
        const qsizetype at = v.indexOf(stop);
        if (at > 0)
            v = v.first(at);
    }
    int y = -1, m = -1, d = -1;
    if (v.size() == 10 && v.at(4) == u'-' && v.at(7) == u'-') {
        y = number(v.sliced(0, 4));
        m = number(v.sliced(5, 2));
        d = number(v.sliced(8, 2));
    } else if (v.size() == 8) {
        y = number(v.sliced(0, 4));
        m = number(v.sliced(4, 2));
        d = number(v.sliced(6, 2));
    }
    if (y < 1000 || m < 1 || d < 1)
        return {};
    return QDate(y, m, d);
}

} // namespace velmora
