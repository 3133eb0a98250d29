#include "export/ui/PersonPicker.h"

#include "mainwindow/ui/ListHost.h"
#include "settings/Translate.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace velmora {

MainListState mainListState(const ListHost &host)
{
    return {host.shownPerson(), host.searchMode(), host.listedPersons()};
}

PersonPicker::PersonPicker(const Options &options, QWidget *parent) : QWidget(parent), m_options(options)
{
    m_available = makeView(m_lists.available(), QStringLiteral("lvwList"));
    m_chosen = makeView(m_lists.chosen(), m_options.chosenListName);
    m_cmdAddOne = makeButton("cmdAddOne", ">");
    m_cmdAddAll = makeButton("cmdAddAll", ">>");
    m_cmdRemoveOne = makeButton("cmdRemoveOne", "<");
    m_cmdRemoveAll = makeButton("cmdRemoveAll", "<<");
    m_cmdSearchResult = new QPushButton(this);
    m_cmdSearchResult->setObjectName(QStringLiteral("cmdSearchResult"));
    m_cmdSearchResult->setEnabled(false);

    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_cmdAddOne, m_cmdAddAll, m_cmdRemoveOne, m_cmdRemoveAll})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_available, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addWidget(m_chosen, 0, 2);
    grid->addWidget(m_cmdSearchResult, 1, 0, 1, 3, Qt::AlignHCenter);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    connect(m_cmdAddOne, &QPushButton::clicked, this, &PersonPicker::addOne);
    connect(m_cmdAddAll, &QPushButton::clicked, this, &PersonPicker::addAll);
    connect(m_cmdRemoveOne, &QPushButton::clicked, this, &PersonPicker::removeOne);
    connect(m_cmdRemoveAll, &QPushButton::clicked, this, &PersonPicker::removeAll);
    connect(m_cmdSearchResult, &QPushButton::clicked, this, &PersonPicker::addSearchResult);
    connect(m_available, &QTreeView::doubleClicked, this, &PersonPicker::addOne);
    connect(m_chosen, &QTreeView::doubleClicked, this, &PersonPicker::removeOne);
    // A click, or the keyboard moving the current item, updates the buttons.
    connect(m_available->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PersonPicker::updateButtons);
    connect(m_available->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &PersonPicker::updateButtons);
    if (m_options.chosenClickUpdatesButtons) {
        connect(m_chosen->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &PersonPicker::updateButtons);
        connect(m_chosen->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &PersonPicker::updateButtons);
    }
    loadLanguage();
    updateButtons();
}

QTreeView *PersonPicker::makeView(PickerListModel &model, const QString &name)
{
    auto *view = new QTreeView(this);
    view->setObjectName(name);
    // Equal row heights let the view lay out 32,767 rows without measuring
    // each of them.
    view->setUniformRowHeights(true);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsClickable(false);
    view->setModel(&model);
    return view;
}

QPushButton *PersonPicker::makeButton(const char *name, const char *caption)
{
    auto *button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

void PersonPicker::setPersons(std::vector<PickerPerson> persons)
{
    m_lists.setPersons(std::move(persons));
    updateButtons();
}

void PersonPicker::preselect(int contactnr)
{
    if (!m_lists.isAvailable(contactnr))
        return;
    const std::vector<int> &items = m_lists.available().items();
    for (int row = 0; row < int(items.size()); ++row) {
        if (m_lists.available().personAt(row).contactnr == contactnr) {
            const QModelIndex index = m_lists.available().index(row);
            m_available->setCurrentIndex(index);
            m_available->scrollTo(index, QAbstractItemView::PositionAtCenter);
            break;
        }
    }
    updateButtons();
}

void PersonPicker::setSearchResult(bool searchDown, std::vector<int> listed)
{
    m_searchResult = searchDown ? std::move(listed) : std::vector<int>();
    m_cmdSearchResult->setEnabled(searchDown);
}

void PersonPicker::loadLanguage()
{
    m_cmdSearchResult->setText(QStringLiteral("> ") + T("Search result") + QStringLiteral(" >"));
}

int PersonPicker::currentRow(QTreeView *view)
{
    const QModelIndex current = view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool PersonPicker::currentSelected(QTreeView *view)
{
    const QModelIndex current = view->currentIndex();
    return current.isValid() && view->selectionModel()->isSelected(current);
}

void PersonPicker::selectCurrent(QTreeView *view, int fallbackRow)
{
    const int count = view->model()->rowCount();
    if (count == 0)
        return;
    QModelIndex current = view->currentIndex();
    if (!current.isValid())
        current = view->model()->index(qBound(0, fallbackRow, count - 1), 0);
    view->selectionModel()->setCurrentIndex(current,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void PersonPicker::showMoved(QTreeView *to, int toRow, QTreeView *from, int fromRow)
{
    const QModelIndex moved = to->model()->index(toRow, 0);
    to->selectionModel()->setCurrentIndex(moved,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    to->scrollTo(moved);
    selectCurrent(from, fromRow);
}

bool PersonPicker::moveToChosen(int contactnr)
{
    const PickerLists::Move move = m_lists.moveToChosen(contactnr);
    if (!move.moved())
        return false;
    showMoved(m_chosen, move.to, m_available, move.from);
    updateButtons();
    emit chosenChanged();
    return true;
}

bool PersonPicker::moveFromChosen(int contactnr)
{
    const PickerLists::Move move = m_lists.moveFromChosen(contactnr);
    if (!move.moved())
        return false;
    showMoved(m_available, move.to, m_chosen, move.from);
    updateButtons();
    emit chosenChanged();
    return true;
}

void PersonPicker::addOne()
{
    const int row = currentRow(m_available);
    if (row >= 0)
        moveToChosen(m_lists.available().personAt(row).contactnr);
}

void PersonPicker::removeOne()
{
    const int row = currentRow(m_chosen);
    if (row >= 0)
        moveFromChosen(m_lists.chosen().personAt(row).contactnr);
}

void PersonPicker::addAll()
{
    if (m_lists.moveAllToChosen() == 0)
        return;
    // As if each person had been moved in turn: the last one is selected.
    showMoved(m_chosen, chosenCount() - 1, m_available, 0);
    updateButtons();
    emit chosenChanged();
}

void PersonPicker::removeAll()
{
    if (m_lists.moveAllFromChosen() == 0)
        return;
    showMoved(m_available, availableCount() - 1, m_chosen, 0);
    updateButtons();
    emit chosenChanged();
}

void PersonPicker::addSearchResult()
{
    const int firstRow = currentRow(m_available);
    if (m_lists.moveListedToChosen(m_searchResult) == 0)
        return;
    showMoved(m_chosen, chosenCount() - 1, m_available, firstRow);
    updateButtons();
    emit chosenChanged();
}

void PersonPicker::updateButtons()
{
    const bool anyAvailable = availableCount() > 0;
    m_cmdAddOne->setEnabled(anyAvailable && currentSelected(m_available));
    m_cmdAddAll->setEnabled(anyAvailable);
    const bool anyChosen = chosenCount() > 0;
    m_cmdRemoveOne->setEnabled(anyChosen && currentSelected(m_chosen));
    m_cmdRemoveAll->setEnabled(anyChosen);
}

} // namespace velmora
