#include "editor/EditorRules.h"

#include "mainwindow/DetailRules.h"
#include "app/PersonKey.h"

namespace velmora {

bool EditorRules::namesGiven(const QString &firstName, const QString &lastName)
{
    return !firstName.isEmpty() || !lastName.isEmpty();
}

EditorRules::NameLayout EditorRules::nameLayout(const QString &listSetting)
{
    if (listSetting == QLatin1String("First name Last name"))
        return NameLayout::FirstNameLeft;
    if (listSetting == QLatin1String("Last name First name"))
        return NameLayout::LastNameLeft;
    return NameLayout::Designed;
}

bool EditorRules::hasDescription(const ListEntry &entry)
{
    return rowHasDescription(entry.text, entry.value);
}

EditorRules::ListControls EditorRules::listControls(const QList<ListEntry> &entries, int selected,
                                                    bool emailList)
{
    ListControls c;
    if (entries.isEmpty() || selected < 0 || selected >= entries.size())
        return c;
    const ListEntry &entry = entries.at(selected);
    c.edit = true;
    c.remove = true;
    c.copy = true;
    c.up = selected > 0;
    c.down = selected < entries.size() - 1;
    c.copyWithText = hasDescription(entry);
    if (emailList) {
        c.send = true;
        c.website = mentionsProfileProvider(entry.text);
    }
    return c;
}

bool EditorRules::swapEntries(QList<ListEntry> &entries, int from, int to)
{
    if (from < 0 || to < 0 || from >= entries.size() || to >= entries.size())
        return false;
    const ListEntry a = entries.at(from);
    const ListEntry b = entries.at(to);
    entries[from] = {trimBlanks(b.text), trimBlanks(b.value)};
    entries[to] = {trimBlanks(a.text), trimBlanks(a.value)};
    return true;
}

ListEntry EditorRules::makeEntry(const QString &valueField, const QString &descriptionField)
{
    const QString value = trimBlanks(valueField);
    const QString description = trimBlanks(descriptionField);
    if (description.isEmpty())
        return {valueField, value};
    return {value + QStringLiteral(" (") + description + QLatin1Char(')'), value};
}

bool EditorRules::entryAcceptable(bool emailEntry, const QString &valueField)
{
    if (emailEntry)
        return !valueField.isEmpty();
    return !trimBlanks(valueField).isEmpty();
}

} // namespace velmora
