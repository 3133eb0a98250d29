#include "interchange/VcardExport.h"

#include "interchange/BookCards.h"
#include "settings/Translate.h"

#include <QDate>

namespace velmora {

FileResult VcardExport::exportPersons(const QList<int> &contactnrs, VcardWriter::Version version,
                                      const QString &path, const VcardFields &fields)
{
    QList<CardPerson> persons;
    if (DbError e = BookCards::read(contactnrs, persons))
        return {false, T("The book cannot be read:") + QLatin1Char('\n') + e.description};
    QByteArray bytes;
    bytes.reserve(persons.size() * 512);
    for (CardPerson &person : persons) {
        if (!fields.dateOfBirth)
            person.dateOfBirth = QDate();
        if (!fields.address)
            person.address.clear();
        if (!fields.note)
            person.note.clear();
        if (!fields.phones)
            person.phones.clear();
        if (!fields.emails)
            person.emails.clear();
        for (CardEntry &e : person.phones) {
            if (!fields.phoneDescriptions)
                e.description.clear();
        }
        for (CardEntry &e : person.emails) {
            if (!fields.emailDescriptions)
                e.description.clear();
        }
        VcardWriter::appendCard(bytes, person, version);
    }
    return writeFileSafely(path, bytes);
}

QString VcardExport::proposedFileName(const QDate &today)
{
    return QStringLiteral("Velmora") + today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".vcf");
}

} // namespace velmora
