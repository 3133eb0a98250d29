#pragma once

#include <QString>

namespace velmora {

// One line of the editor's phone or e-mail list: the text the row shows and
// the bare number or address behind it.
struct ListEntry {
    // What the row shows: the value alone (possibly with the blanks typed
    // around it), or the value, " (", the description and ")".
    QString text;
    // The number or address, trimmed of blanks.
    QString value;

    bool operator==(const ListEntry &other) const = default;
};

} // namespace velmora
