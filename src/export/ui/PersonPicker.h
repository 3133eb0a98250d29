#pragma once

#include "export/PickerLists.h"

#include <QWidget>
#include <vector>

class QPushButton;
class QTreeView;

namespace velmora {

class ListHost;

// What a picker window needs of the main window: the person its details pane
// shows (-1 when none), whether the toolbar's Search button is down, and the
// numbers of the contact list's rows in list order.
struct MainListState {
    int shownPerson = -1;
    bool searchDown = false;
    std::vector<int> listed;
};
MainListState mainListState(const ListHost &host);

// The two-list person picker of the export window and the e-mail list: the
// available persons in lvwList, the chosen ones in a second list (lvwExport,
// lvwEmail), the four move buttons between them (cmdAddOne, cmdAddAll,
// cmdRemoveOne, cmdRemoveAll), a double click that moves the current item
// across, and cmdSearchResult, which chooses the persons of the main window's
// search result that are still available. Fast on 32,767 persons: the lists
// are views on PickerLists, and moves of many persons reset each list once.
class PersonPicker : public QWidget {
    Q_OBJECT
public:
    struct Options {
        // objectName of the list of chosen persons.
        QString chosenListName = QStringLiteral("lvwExport");
        // Whether a click (or any change of the current item) in the chosen
        // list updates the move buttons. The e-mail list leaves them as they
        // are.
        bool chosenClickUpdatesButtons = true;
    };

    explicit PersonPicker(const Options &options, QWidget *parent = nullptr);

    // Every person available, none chosen; the buttons updated.
    void setPersons(std::vector<PickerPerson> persons);
    // Selects the person in the available list and scrolls it into view.
    void preselect(int contactnr);
    // cmdSearchResult enabled (with the main list's numbers) when the Search
    // button of the main window is down, otherwise disabled.
    void setSearchResult(bool searchDown, std::vector<int> listed);
    // The captions that are translated.
    void loadLanguage();

    // Moves one person; false (and nothing changes) when the person is not in
    // the list it is to leave.
    bool moveToChosen(int contactnr);
    bool moveFromChosen(int contactnr);
    void addOne();
    void addAll();
    void removeOne();
    void removeAll();
    void addSearchResult();
    // Enabled states of the move buttons: add buttons with available persons
    // (add one only with its current item selected), remove buttons with
    // chosen persons (remove one likewise).
    void updateButtons();

    std::vector<int> chosenContactnrs() const { return m_lists.chosenContactnrs(); }
    int chosenCount() const { return m_lists.chosen().rowCount(); }
    int availableCount() const { return m_lists.available().rowCount(); }
    PickerLists &lists() { return m_lists; }
    QTreeView *availableView() const { return m_available; }
    QTreeView *chosenView() const { return m_chosen; }

signals:
    // Persons moved between the lists (once for a move of many).
    void chosenChanged();

private:
    QTreeView *makeView(PickerListModel &model, const QString &name);
    QPushButton *makeButton(const char *name, const char *caption);
    // After a move: the moved item selected and in view on its new side, the
    // current item of the list it left marked selected.
    void showMoved(QTreeView *to, int toRow, QTreeView *from, int fromRow);
    static void selectCurrent(QTreeView *view, int fallbackRow);
    static int currentRow(QTreeView *view);
    static bool currentSelected(QTreeView *view);

    Options m_options;
    PickerLists m_lists;
    std::vector<int> m_searchResult;
    QTreeView *m_available = nullptr;
    QTreeView *m_chosen = nullptr;
    QPushButton *m_cmdAddOne = nullptr;
    QPushButton *m_cmdAddAll = nullptr;
    QPushButton *m_cmdRemoveOne = nullptr;
    QPushButton *m_cmdRemoveAll = nullptr;
    QPushButton *m_cmdSearchResult = nullptr;
};

} // namespace velmora
