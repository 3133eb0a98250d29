#pragma once

#include "interchange/CardPerson.h"

#include <QByteArray>
#include <QList>

class QIODevice;

namespace velmora {

// Writes persons as vCards (3.0, or 4.0 when asked): UTF-8, CR LF, lines
// folded at 75 octets, text escaped, a UID that stays the same between
// exports while the person keeps number and names. What the reader reads
// back from it equals what was written.
//
// A phone or e-mail description made of plain type words ("cell",
// "home, work") is written as TYPE; any other description travels as the
// label of the entry's group (item1.X-ABLABEL), which address books on
// phones and desktops show. The first of several entries is marked
// preferred.
class VcardWriter {
public:
    enum class Version { V30, V40 };

    static void appendCard(QByteArray &out, const CardPerson &person, Version version);
    static QByteArray card(const CardPerson &person, Version version);
    // All persons, one card each, in their order; false when the device
    // does not take the bytes.
    static bool write(QIODevice &device, const QList<CardPerson> &persons, Version version);
};

} // namespace velmora
