#pragma once

#include <QByteArray>
#include <QList>

namespace velmora {

// One content line of a vCard as the file writes it, unfolded (and with the
// soft line breaks of quoted-printable values joined), not yet decoded.
struct VcardProperty {
    struct Param {
        QByteArray name;          // upper case; "TYPE" for the bare types of 2.1
        QList<QByteArray> values; // split at unquoted commas, quotes removed
    };

    int line = 0;       // 1-based line of the file where it starts
    QByteArray group;   // "item1" of "item1.TEL", as written
    QByteArray name;    // upper case
    QByteArray rawName; // as written
    QList<Param> params;
    QByteArray value; // everything after the first unquoted colon

    // The values of every parameter of that name (upper case), in order.
    QList<QByteArray> paramValues(const char *paramName) const
    {
        QList<QByteArray> out;
        for (const Param &p : params) {
            if (p.name == paramName)
                out += p.values;
        }
        return out;
    }
    QByteArray param(const char *paramName) const
    {
        for (const Param &p : params) {
            if (p.name == paramName && !p.values.isEmpty())
                return p.values.first();
        }
        return {};
    }
};

// One card: its properties in file order.
struct VcardCard {
    int line = 0;       // line of its BEGIN:VCARD
    QByteArray version; // "2.1", "3.0", "4.0" or what the card says
    QList<VcardProperty> properties;
};

} // namespace velmora
