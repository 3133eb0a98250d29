#include "export/PickerLists.h"

#include <algorithm>
#include <numeric>

namespace velmora {

PickerLists::PickerLists() : m_persons(std::make_shared<const std::vector<PickerPerson>>()) {}

void PickerLists::setPersons(std::vector<PickerPerson> persons)
{
    m_persons = std::make_shared<const std::vector<PickerPerson>>(std::move(persons));
    const int count = int(m_persons->size());
    m_indexOf.clear();
    m_indexOf.reserve(count);
    for (int i = 0; i < count; ++i)
        m_indexOf.insert((*m_persons)[size_t(i)].contactnr, i);
    m_isChosen.assign(size_t(count), false);
    m_available.setPersons(m_persons);
    m_chosen.setPersons(m_persons);
    std::vector<int> all(static_cast<size_t>(count));
    std::iota(all.begin(), all.end(), 0);
    m_available.setItems(std::move(all));
}

bool PickerLists::isAvailable(int contactnr) const
{
    const int i = indexOf(contactnr);
    return i >= 0 && !m_isChosen[size_t(i)];
}

bool PickerLists::isChosen(int contactnr) const
{
    const int i = indexOf(contactnr);
    return i >= 0 && m_isChosen[size_t(i)];
}

PickerLists::Move PickerLists::moveToChosen(int contactnr)
{
    Move move;
    const int i = indexOf(contactnr);
    if (i < 0 || m_isChosen[size_t(i)])
        return move;
    // The available list stays in person order: the row is found by halving.
    const std::vector<int> &items = m_available.items();
    move.from = int(std::lower_bound(items.begin(), items.end(), i) - items.begin());
    m_available.removeItem(move.from);
    move.to = m_chosen.rowCount();
    m_chosen.insertItem(move.to, i);
    m_isChosen[size_t(i)] = true;
    return move;
}

PickerLists::Move PickerLists::moveFromChosen(int contactnr)
{
    Move move;
    const int i = indexOf(contactnr);
    if (i < 0 || !m_isChosen[size_t(i)])
        return move;
    move.from = m_chosen.rowOfItem(i);
    m_chosen.removeItem(move.from);
    const std::vector<int> &items = m_available.items();
    move.to = int(std::lower_bound(items.begin(), items.end(), i) - items.begin());
    m_available.insertItem(move.to, i);
    m_isChosen[size_t(i)] = false;
    return move;
}

int PickerLists::moveAllToChosen()
{
    const std::vector<int> &from = m_available.items();
    const int moved = int(from.size());
    if (moved == 0)
        return 0;
    std::vector<int> chosen = m_chosen.items();
    chosen.insert(chosen.end(), from.begin(), from.end());
    for (const int i : from)
        m_isChosen[size_t(i)] = true;
    m_available.setItems({});
    m_chosen.setItems(std::move(chosen));
    return moved;
}

int PickerLists::moveAllFromChosen()
{
    const std::vector<int> &from = m_chosen.items();
    const int moved = int(from.size());
    if (moved == 0)
        return 0;
    std::vector<int> back = from;
    std::sort(back.begin(), back.end());
    std::vector<int> available;
    available.reserve(m_available.items().size() + back.size());
    std::merge(m_available.items().begin(), m_available.items().end(), back.begin(), back.end(),
               std::back_inserter(available));
    for (const int i : back)
        m_isChosen[size_t(i)] = false;
    m_chosen.setItems({});
    m_available.setItems(std::move(available));
    return moved;
}

int PickerLists::moveListedToChosen(const std::vector<int> &contactnrs)
{
    std::vector<int> added;
    for (const int contactnr : contactnrs) {
        const int i = indexOf(contactnr);
        if (i < 0 || m_isChosen[size_t(i)])
            continue;
        m_isChosen[size_t(i)] = true;
        added.push_back(i);
    }
    if (added.empty())
        return 0;
    std::vector<int> available;
    available.reserve(m_available.items().size() - added.size());
    for (const int i : m_available.items()) {
        if (!m_isChosen[size_t(i)])
            available.push_back(i);
    }
    std::vector<int> chosen = m_chosen.items();
    chosen.insert(chosen.end(), added.begin(), added.end());
    m_available.setItems(std::move(available));
    m_chosen.setItems(std::move(chosen));
    return int(added.size());
}

std::vector<int> PickerLists::chosenContactnrs() const
{
    std::vector<int> numbers;
    numbers.reserve(m_chosen.items().size());
    for (const int i : m_chosen.items())
        numbers.push_back((*m_persons)[size_t(i)].contactnr);
    return numbers;
}

} // namespace velmora
