#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QAbstractItemModel;

namespace velmora {

struct PersonRow;

// The quick search above the contact list: while the user types, the first
// row whose full name (row text, a blank, other name; both trimmed) begins
// with the typed text, compared in lower case. It does not filter and keeps
// nothing: it looks at the rows the list holds now. The typed text is not
// trimmed, so a leading blank matches no name.
class QuickSearch {
public:
    // The row to select, from 0, or -1 when no row matches (the selection
    // then stays as it is). The model's column 0 holds the row text and
    // column 1 the other name (display role).
    static int findRow(const QAbstractItemModel &model, const QString &typed);
    static int findRow(const std::vector<PersonRow> &rows, const QString &typed);
    static int findRow(const QStringList &texts, const QStringList &subItems, const QString &typed);

    // Whether one row matches. loweredTyped is the typed text in lower case.
    static bool matches(const QString &text, const QString &subItem, const QString &loweredTyped);
};

} // namespace velmora
