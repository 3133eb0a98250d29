#include "mainwindow/PersonListModel.h"

#include "app/PersonKey.h"

namespace velmora {

PersonListModel::PersonListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_captions[0] = QStringLiteral("First name");
    m_captions[1] = QStringLiteral("Last name");
}

void PersonListModel::setRows(std::vector<PersonRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_rowOf.clear();
    m_indexed = false;
    endResetModel();
}

void PersonListModel::clear()
{
    setRows({});
}

int PersonListModel::rowOfContactnr(int contactnr) const
{
    if (!m_indexed) {
        m_rowOf.reserve(qsizetype(m_rows.size()));
        for (int i = int(m_rows.size()) - 1; i >= 0; --i)
            m_rowOf.insert(m_rows[size_t(i)].contactnr, i);
        m_indexed = true;
    }
    return m_rowOf.value(contactnr, -1);
}

int PersonListModel::rowOfKey(const QString &key) const
{
    // Keys are compared as texts: only a key built by the key rule names a row.
    const int row = rowOfContactnr(contactnrFromKey(key));
    if (row < 0 || personKey(m_rows[size_t(row)].contactnr) != key)
        return -1;
    return row;
}

QString PersonListModel::keyAt(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    return personKey(m_rows[size_t(row)].contactnr);
}

void PersonListModel::setColumnCaptions(const QString &first, const QString &last)
{
    m_captions[0] = first;
    m_captions[1] = last;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

int PersonListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PersonListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant PersonListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const PersonRow &r = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? r.text : r.subItem;
    case Qt::ToolTipRole:
        return r.toolTip();
    case KeyRole:
        return personKey(r.contactnr);
    case ContactnrRole:
        return r.contactnr;
    default:
        return {};
    }
}

QVariant PersonListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (section == 0 || section == 1)) {
        // The columns keep their keys; only the captions follow the name order.
        if (role == Qt::DisplayRole)
            return m_captions[section];
        if (role == KeyRole)
            return section == 0 ? QStringLiteral("First") : QStringLiteral("Last");
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace velmora
