#include "interchange/PersonUid.h"

#include "app/PersonKey.h"

#include <QUuid>

namespace velmora {

namespace {

// Name-based (version 5) identifiers in namespaces of this program.
const QUuid kCardNamespace(QStringLiteral("{3f1c2d7a-9b4e-4c61-8a52-6f0d1e9b7c34}"));
const QUuid kBirthdayNamespace(QStringLiteral("{b7e4a9c2-15d3-4f8e-9a61-2c5f0e8d4b97}"));

QString key(const CardPerson &person)
{
    return QString::number(person.contactnr) + QLatin1Char('\n') + trimBlanks(person.firstName) +
           QLatin1Char('\n') + trimBlanks(person.lastName);
}

} // namespace

QString PersonUid::vcard(const CardPerson &person)
{
    return QStringLiteral("urn:uuid:") +
           QUuid::createUuidV5(kCardNamespace, key(person)).toString(QUuid::WithoutBraces);
}

QString PersonUid::birthday(const CardPerson &person)
{
    return QUuid::createUuidV5(kBirthdayNamespace, key(person)).toString(QUuid::WithoutBraces) +
           QStringLiteral("@velmora");
}

} // namespace velmora
