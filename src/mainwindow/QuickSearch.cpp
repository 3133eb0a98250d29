#include "mainwindow/QuickSearch.h"

#include "app/PersonKey.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"

#include <QAbstractItemModel>

namespace velmora {

namespace {

// Lower-casing character by character gives the same text as lower-casing
// the whole, except for surrogate pairs and the one character whose lower
// case is two characters (U+0130, capital I with dot above).
bool simpleCase(QChar c)
{
    return !c.isSurrogate() && c.unicode() != 0x0130;
}

enum class Verdict { Match, NoMatch, Unsure, Exhausted };

// Compares the lower case of part with typed from position *at on. Exhausted:
// the part ended before the typed text did.
Verdict comparePart(QStringView part, const QString &typed, qsizetype *at)
{
    for (QChar c : part) {
        if (*at >= typed.size())
            return Verdict::Match;
        if (!simpleCase(c))
            return Verdict::Unsure;
        if (c.toLower() != typed.at(*at))
            return Verdict::NoMatch;
        ++*at;
    }
    return *at >= typed.size() ? Verdict::Match : Verdict::Exhausted;
}

// The full name compared without building it. The other name is looked at
// (and trimmed) only when the typed text reaches beyond the row text.
Verdict quickCompare(QStringView text, const QString &subItemText, const QString &typed)
{
    qsizetype at = 0;
    Verdict v = comparePart(text, typed, &at);
    if (v != Verdict::Exhausted)
        return v;
    if (typed.at(at) != QLatin1Char(' '))
        return Verdict::NoMatch;
    if (++at >= typed.size())
        return Verdict::Match;
    v = comparePart(trimBlanksView(subItemText), typed, &at);
    return v == Verdict::Exhausted ? Verdict::NoMatch : v;
}

} // namespace

bool QuickSearch::matches(const QString &text, const QString &subItem, const QString &loweredTyped)
{
    if (loweredTyped.isEmpty())
        return true;
    const QStringView t = trimBlanksView(text);
    switch (quickCompare(t, subItem, loweredTyped)) {
    case Verdict::Match:
        return true;
    case Verdict::NoMatch:
        return false;
    case Verdict::Unsure:
    case Verdict::Exhausted:
        break;
    }
    const QString full =
        (t.toString() + QLatin1Char(' ') + trimBlanksView(subItem).toString().toLower()).toLower();
    return full.startsWith(loweredTyped);
}

int QuickSearch::findRow(const QAbstractItemModel &model, const QString &typed)
{
    // The contact list's own model: its rows directly, without a data()
    // call per cell.
    if (const auto *list = qobject_cast<const PersonListModel *>(&model))
        return findRow(list->rows(), typed);
    const QString s = typed.toLower();
    const int rows = model.rowCount();
    for (int i = 0; i < rows; ++i) {
        const QString text = model.data(model.index(i, 0)).toString();
        const QString subItem = model.data(model.index(i, 1)).toString();
        if (matches(text, subItem, s))
            return i;
    }
    return -1;
}

int QuickSearch::findRow(const std::vector<PersonRow> &rows, const QString &typed)
{
    const QString s = typed.toLower();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (matches(rows[i].text, rows[i].subItem, s))
            return int(i);
    }
    return -1;
}

int QuickSearch::findRow(const QStringList &texts, const QStringList &subItems, const QString &typed)
{
    const QString s = typed.toLower();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (matches(texts.at(i), i < subItems.size() ? subItems.at(i) : QString(), s))
            return int(i);
    }
    return -1;
}

} // namespace velmora
