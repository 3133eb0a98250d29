#include "export/PickerListModel.h"

#include "app/PersonKey.h"

#include <algorithm>

namespace velmora {

PickerListModel::PickerListModel(QObject *parent)
    : QAbstractListModel(parent), m_persons(std::make_shared<const std::vector<PickerPerson>>())
{
}

void PickerListModel::setPersons(std::shared_ptr<const std::vector<PickerPerson>> persons)
{
    beginResetModel();
    m_persons = std::move(persons);
    m_items.clear();
    endResetModel();
}

void PickerListModel::setItems(std::vector<int> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

void PickerListModel::insertItem(int row, int item)
{
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(m_items.begin() + row, item);
    endInsertRows();
}

void PickerListModel::removeItem(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_items.erase(m_items.begin() + row);
    endRemoveRows();
}

int PickerListModel::rowOfItem(int item) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), item);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

void PickerListModel::setCaption(const QString &caption)
{
    m_caption = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int PickerListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant PickerListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_items.size()))
        return {};
    const PickerPerson &person = personAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return person.text;
    case KeyRole:
        return personKey(person.contactnr);
    case ContactnrRole:
        return person.contactnr;
    default:
        return {};
    }
}

QVariant PickerListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_caption;
    return {};
}

} // namespace velmora
