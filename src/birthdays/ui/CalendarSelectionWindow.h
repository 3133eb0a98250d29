#pragma once

#include "birthdays/CalendarSaver.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace velmora {

// The choice of pages to save (frmCalendarSelection): one frame per year
// (previous, current, next) with a box for the whole year (index 0) and one
// per month (1 to 12). OK asks for a folder and copies the chosen pages and
// the style sheet into its Calendar folder; the window closes either way.
class CalendarSelectionWindow : public QDialog {
    Q_OBJECT
public:
    // pagesFolder: where the calendar window's pages are.
    explicit CalendarSelectionWindow(const QString &pagesFolder, QWidget *parent = nullptr);

    void loadLanguage();
    // The months ticked now.
    CalendarSelection selection() const;
    // A box: year 0 to 2 (previous, current, next), index 0 to 12.
    QCheckBox *box(int year, int index) const { return m_boxes[size_t(year)][size_t(index)]; }
    // The OK command: SaveCalendarPages.
    void saveCalendarPages();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::array<QGroupBox *, 3> m_frames{};
    std::array<std::array<QCheckBox *, 13>, 3> m_boxes{};
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QString m_pagesFolder;
    int m_firstYear;
};

} // namespace velmora
