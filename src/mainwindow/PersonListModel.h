#pragma once

#include "mainwindow/PersonListQuery.h"

#include <QAbstractTableModel>
#include <QHash>
#include <vector>

namespace velmora {

// The rows of the contact list for a view: column 0 the row's text, column 1
// its other name; the tool tip is the full name in display order and the
// person key is the row's Qt::UserRole data. Built for 32,767 rows: the rows
// are plain values, replaced in one reset.
class PersonListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int ContactnrRole = Qt::UserRole + 1;

    explicit PersonListModel(QObject *parent = nullptr);

    void setRows(std::vector<PersonRow> rows);
    void clear();
    const std::vector<PersonRow> &rows() const { return m_rows; }
    const PersonRow &rowAt(int row) const { return m_rows[size_t(row)]; }
    // The row of a person key, or -1 when no row has it.
    int rowOfKey(const QString &key) const;
    int rowOfContactnr(int contactnr) const;
    QString keyAt(int row) const;

    void setColumnCaptions(const QString &first, const QString &last);
    QString columnCaption(int column) const { return m_captions[column == 0 ? 0 : 1]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<PersonRow> m_rows;
    // First row of each number; built lazily on the first lookup.
    mutable QHash<int, int> m_rowOf;
    mutable bool m_indexed = false;
    QString m_captions[2];
};

} // namespace velmora
