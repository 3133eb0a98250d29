#pragma once

#include "export/PickerPerson.h"

#include <QAbstractListModel>
#include <memory>
#include <vector>

namespace velmora {

// One list of a two-list picker: one column headed "Name", each row a person
// of the picker's person table (by its index there). Rows change in single
// inserts and removals or in one reset, never row by row in bulk.
class PickerListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole;           // the person key
    static constexpr int ContactnrRole = Qt::UserRole + 1; // the number

    explicit PickerListModel(QObject *parent = nullptr);

    void setPersons(std::shared_ptr<const std::vector<PickerPerson>> persons);
    // The rows as indexes into the person table, in list order.
    const std::vector<int> &items() const { return m_items; }
    void setItems(std::vector<int> items);
    void insertItem(int row, int item);
    void removeItem(int row);
    // The row of a person table index, -1 when the list does not hold it.
    int rowOfItem(int item) const;
    int itemAt(int row) const { return m_items[size_t(row)]; }
    const PickerPerson &personAt(int row) const { return (*m_persons)[size_t(m_items[size_t(row)])]; }

    void setCaption(const QString &caption);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const std::vector<PickerPerson>> m_persons;
    std::vector<int> m_items;
    QString m_caption = QStringLiteral("Name");
};

} // namespace velmora
