#pragma once

#include "editor/ListEntry.h"

#include <QList>
#include <QString>

namespace velmora {

// The rules of the person editor and its entry dialogs that need no window.
class EditorRules {
public:
    // At least one name must hold something. Blanks count as something (they
    // are dropped when the person is written).
    static bool namesGiven(const QString &firstName, const QString &lastName);

    // Where the name fields stand, by the setting "List".
    enum class NameLayout { FirstNameLeft, LastNameLeft, Designed };
    static NameLayout nameLayout(const QString &listSetting);

    // The enabled state of a list's commands (buttons and pop-up items).
    // Add is always enabled.
    struct ListControls {
        bool edit = false;
        bool remove = false;
        bool up = false;
        bool down = false;
        bool copy = false;         // copy the value
        bool copyWithText = false; // copy value and description
        bool send = false;         // e-mail list only
        bool website = false;      // e-mail list only
        bool operator==(const ListControls &) const = default;
    };
    // selected: the index of the selected entry, -1 for none. A list without
    // selection counts as an empty list.
    static ListControls listControls(const QList<ListEntry> &entries, int selected, bool emailList);

    // The entry has a description: its trimmed text is longer than its
    // trimmed value.
    static bool hasDescription(const ListEntry &entry);

    // Exchanges the entries at from and to (neighbours), each trimmed of
    // blanks. False (and no change) when either index is outside the list.
    static bool swapEntries(QList<ListEntry> &entries, int from, int to);

    // The entry an entry dialog writes: the value field as typed when the
    // description is blank, else the trimmed value, " (", the trimmed
    // description and ")"; the value is the value field trimmed.
    static ListEntry makeEntry(const QString &valueField, const QString &descriptionField);

    // The entry dialog's OK: a phone number needs more than blanks; an e-mail
    // address needs any character at all.
    static bool entryAcceptable(bool emailEntry, const QString &valueField);
};

} // namespace velmora
