#pragma once

#include "birthdays/ReminderOptions.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class DayCountBox;

// The reminder options (frmOptionsReminder): the reminder at log-on, the
// since window, three once days and the sound. OK stores them; Cancel
// leaves everything as it was.
class ReminderOptionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ReminderOptionsWindow(QWidget *parent = nullptr);

    void loadLanguage();
    // The choices as the controls show them.
    ReminderOptions options() const;

    // Browse: choose a sound file and play it as a preview.
    void browseSound();
    // OK: store the choices and close.
    void ok();

private:
    void showOptions(const ReminderOptions &options);
    void applyEnabling();
    QLabel *daysLabel(int index);

    QCheckBox *m_chkBirthdayreminder;
    QGroupBox *m_fraSince;
    QCheckBox *m_chkSince;
    DayCountBox *m_udSince;
    QGroupBox *m_fraOnce;
    std::array<QCheckBox *, ReminderOptions::kOnceRows> m_chkOnce{};
    std::array<DayCountBox *, ReminderOptions::kOnceRows> m_udOnce{};
    std::array<QLabel *, 1 + ReminderOptions::kOnceRows> m_lblDays{};
    QGroupBox *m_fraSound;
    QCheckBox *m_chkSound;
    QLineEdit *m_txtSound;
    QPushButton *m_cmdBrowse;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

} // namespace velmora
