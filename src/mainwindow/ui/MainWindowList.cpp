#include "mainwindow/ui/MainWindow.h"

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/PersonKey.h"
#include "app/Seams.h"
#include "mainwindow/PersonDetails.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/QuickSearch.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/AboutPanel.h"
#include "mainwindow/ui/DetailsPane.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/Database.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTreeView>

namespace velmora {

namespace {
const QString kList = QLatin1String(kListSetting);
} // namespace

// The contact list, quick search, the name order and the details of the
// shown person.

void MainWindow::fillPersonList()
{
    const Database &db = Database::instance();
    std::vector<PersonRow> rows;
    if (db.isOpen()) {
        if (const DbError e = loadPersonList(getSetting(kList), searchMode(), searchState(), rows)) {
            rows.clear();
            reportListError(e.number, e.description);
        }
    }
    m_selecting = true;
    m_model->setRows(std::move(rows));
    m_lvwMain->clearSelection();
    m_selecting = false;

    const bool any = m_model->rowCount() > 0;
    const bool search = searchMode();
    for (const char *name : {"Export", "Email"})
        button(QLatin1String(name))->setEnabled(any);
    action(QStringLiteral("mnuActionExport"))->setEnabled(any);
    action(QStringLiteral("mnuActionEmail"))->setEnabled(any);
    button(QStringLiteral("Search"))->setEnabled(any || search);
    action(QStringLiteral("mnuActionSearch"))->setEnabled(any || search);
    if (any && search) {
        selectRow(0);
        m_lvwMain->setFocus();
        showPerson(m_model->rowAt(0).contactnr);
    }
    if (m_details->isHidden())
        m_staCount->setText(QStringLiteral("-/") + QString::number(m_model->rowCount()));
}

void MainWindow::reportListError(int number, const QString &description)
{
    reportError(QStringLiteral("Error reading the contact list: "), number, description);
}

void MainWindow::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_selecting = true;
    const QModelIndex index = m_model->index(row, 0);
    m_lvwMain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    m_lvwMain->scrollTo(index);
    m_selecting = false;
}

int MainWindow::selectedRow() const
{
    const QModelIndexList rows = m_lvwMain->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int MainWindow::selectedContactnr() const
{
    const int row = selectedRow();
    return row < 0 ? -1 : m_model->rowAt(row).contactnr;
}

void MainWindow::listClicked()
{
    const int nr = selectedContactnr();
    if (m_model->rowCount() > 0 && nr >= 0 && !m_selecting)
        showPerson(nr);
}

void MainWindow::selectPerson(int contactnr)
{
    const int row = m_model->rowOfContactnr(contactnr);
    if (row < 0) {
        m_lvwMain->clearSelection();
        return;
    }
    selectRow(row);
    m_lvwMain->setFocus();
    showPerson(contactnr);
}

void MainWindow::setSearchMode(bool on)
{
    searchState().searchMode = on;
    button(QStringLiteral("Search"))->setChecked(on);
    action(QStringLiteral("mnuActionSearch"))->setChecked(on);
}

bool MainWindow::searchMode() const
{
    return searchState().searchMode;
}

void MainWindow::toggleSearch(bool down)
{
    setSearchMode(down);
    if (down) {
        if (m_hooks.advancedSearch)
            m_hooks.advancedSearch(this, *this);
    } else {
        // Of the search only the condition goes; the other values stay unused
        // until the next search sets them.
        searchState().condition.clear();
        fillPersonList();
    }
}

void MainWindow::quickSearch(const QString &typed)
{
    const int row = QuickSearch::findRow(m_model->rows(), typed);
    if (row < 0)
        return;
    selectRow(row);
    showPerson(m_model->rowAt(row).contactnr);
}

void MainWindow::showNameOrderChecks(bool firstNameFirst)
{
    action(QStringLiteral("mnuOptionsListFirstnameLastname"))->setChecked(firstNameFirst);
    action(QStringLiteral("mnuOptionsListLastnameFirstname"))->setChecked(!firstNameFirst);
}

void MainWindow::setNameOrder(const QString &order)
{
    saveSetting(kList, order);
    // The person on show stays selected and shown in the new order.
    const QString key =
        !m_details->isHidden() && m_shownContactnr >= 0 ? personKey(m_shownContactnr) : QString();
    showNameOrderChecks(isFirstNameOrder(order));
    applyColumnCaptions();
    if (Database::instance().isOpen())
        fillPersonList();
    if (!key.isEmpty()) {
        const int row = m_model->rowOfKey(key);
        if (row >= 0)
            selectRow(row);
        showPerson(contactnrFromKey(key));
    }
}

// ---------------------------------------------------------------- details

void MainWindow::showPerson(int contactnr)
{
    PersonDetails details;
    if (const DbError e = loadPersonDetails(contactnr, getSetting(kList), getSetting(QStringLiteral("Date")),
                                            clock().today(), details)) {
        reportListError(e.number, e.description);
        return;
    }
    if (!details.found) {
        // Removed meanwhile (by another copy of the program): nothing to show.
        hideDetails();
        return;
    }
    m_details->showDetails(details);
    m_details->show();
    m_about->hide();
    m_shownContactnr = contactnr;
    showCount();
    if (writable())
        setPersonCommands(true, true);
}

void MainWindow::showCount()
{
    const int row = selectedRow();
    const QString total = QString::number(m_model->rowCount());
    m_staCount->setText((row < 0 ? QStringLiteral("-") : QString::number(row + 1)) + QLatin1Char('/') +
                        total);
}

void MainWindow::hideDetails()
{
    m_details->hide();
    m_about->show();
    m_shownContactnr = -1;
    setPersonCommands(false, false);
    if (Database::instance().isOpen())
        m_staCount->setText(QStringLiteral("-/") + QString::number(m_model->rowCount()));
}

int MainWindow::shownPerson() const
{
    return m_details->isHidden() ? -1 : selectedContactnr();
}

std::vector<int> MainWindow::listedPersons() const
{
    std::vector<int> numbers;
    numbers.reserve(m_model->rows().size());
    for (const PersonRow &row : m_model->rows())
        numbers.push_back(row.contactnr);
    return numbers;
}

void MainWindow::setPersonCommands(bool edit, bool remove)
{
    button(QStringLiteral("Edit"))->setEnabled(edit);
    action(QStringLiteral("mnuPersonEdit"))->setEnabled(edit);
    button(QStringLiteral("Remove"))->setEnabled(remove);
    action(QStringLiteral("mnuPersonRemove"))->setEnabled(remove);
}

} // namespace velmora
