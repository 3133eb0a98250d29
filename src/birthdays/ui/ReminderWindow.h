#pragma once

#include "birthdays/ReminderRow.h"

#include <QWidget>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace velmora {

// The birthday reminder (frmReminder): the persons whose birthdays fall on
// the reminder's days, today's in red. Details opens the chosen person in a
// new copy of the program; closing the window closes the book.
class ReminderWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReminderWindow(const std::vector<ReminderRow> &rows, QWidget *parent = nullptr);

    void loadLanguage();
    // Opens the selected person in a new copy of the program (nothing when
    // no row is selected).
    void openDetails();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void fill(const std::vector<ReminderRow> &rows);
    void updateDetails();

    QLabel *m_picLogo;
    QGroupBox *m_fraReminder;
    QTreeWidget *m_lvwReminder;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdDetails;
    QMenu *m_mnuPopupReminder;
    QAction *m_mnuPopupDetails;
    bool m_soundPlayed = false;
};

} // namespace velmora
