#pragma once

#include "export/PickerListModel.h"

#include <QHash>
#include <vector>

namespace velmora {

// The two lists of a person picker: every person is in exactly one of them,
// the available list (in the order the persons were given: name order) or the
// chosen list (in the order they were chosen). A person returned to the
// available list takes its place in name order again. Moves of many persons
// reset each list once, so that even 32,767 persons move at once.
class PickerLists {
public:
    PickerLists();

    // Every person available, none chosen.
    void setPersons(std::vector<PickerPerson> persons);

    PickerListModel &available() { return m_available; }
    PickerListModel &chosen() { return m_chosen; }
    const PickerListModel &available() const { return m_available; }
    const PickerListModel &chosen() const { return m_chosen; }

    bool isAvailable(int contactnr) const;
    bool isChosen(int contactnr) const;

    // Where one person left and where it went (rows of the two lists); both
    // -1 when the person was not in the list it was to leave.
    struct Move {
        int from = -1;
        int to = -1;
        bool moved() const { return to >= 0; }
    };
    Move moveToChosen(int contactnr);
    Move moveFromChosen(int contactnr);
    // Every available person to the end of the chosen list, in list order;
    // the number moved.
    int moveAllToChosen();
    // Every chosen person back to the available list.
    int moveAllFromChosen();
    // The persons of the numbers, in the given order, that are still
    // available (others, and numbers given twice, are skipped); the number
    // moved.
    int moveListedToChosen(const std::vector<int> &contactnrs);

    // The numbers of the chosen persons in list order.
    std::vector<int> chosenContactnrs() const;

private:
    int indexOf(int contactnr) const { return m_indexOf.value(contactnr, -1); }

    std::shared_ptr<const std::vector<PickerPerson>> m_persons;
    QHash<int, int> m_indexOf;
    std::vector<bool> m_isChosen;
    PickerListModel m_available;
    PickerListModel m_chosen;
};

} // namespace velmora
