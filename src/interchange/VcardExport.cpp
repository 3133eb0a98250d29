#include "interchange/VcardExport.h"

#include "interchange/BookCards.h"
#include "settings/Translate.h"

#include <QDate>

namespace velmora {

FileResult VcardExport::exportPersons(const QList<int> &contactnrs, VcardWriter::Version version,
                                      const QString &path)
{
    QList<CardPerson> persons;
    if (DbError e = BookCards::read(contactnrs, persons))
        return {false, T("The book cannot be read:") + QLatin1Char('\n') + e.description};
    QByteArray bytes;
    bytes.reserve(persons.size() * 512);
    for (const CardPerson &person : std::as_const(persons))
        VcardWriter::appendCard(bytes, person, version);
    return writeFileSafely(path, bytes);
}

QString VcardExport::proposedFileName(const QDate &today)
{
    return QStringLiteral("Velmora") + today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".vcf");
}

} // namespace velmora
