#pragma once

#include <QString>
#include <array>

namespace velmora {

// The choices of the reminder options window: the reminder at log-on, the
// sound, the since window and the three once days. Loaded from the settings
// and stored back by OK; the window only shows them.
class ReminderOptions {
public:
    static constexpr int kOnceRows = 3;

    bool reminder = false; // "Birthday reminder" is "1"
    bool sound = false;    // "Reminder Sound" is "1"
    QString soundPath;     // "Reminder Sound Path"
    bool since = false;    // "Reminder Since" holds a number
    QString sinceText;
    std::array<bool, kOnceRows> once{}; // "Reminder Once 1".."3" hold numbers
    std::array<QString, kOnceRows> onceText;

    // The settings as the window starts with them. A day setting that is not
    // a number leaves its row unticked and its box empty.
    static ReminderOptions load();

    // OK: switches the reminder on (log-on entry written, today's reminder
    // started) when it was off, or off (entry removed) when it was on; then
    // stores the sound and the days, even when the reminder is off. A day
    // that is not ticked is deleted.
    void save() const;

    // Which controls can be used: with the reminder off only OK and Cancel.
    struct Enabled {
        bool frames = false;                // the three frames
        bool checkBoxes = false;            // chkSound, chkSince, chkOnce
        bool soundFile = false;             // txtSound, cmdBrowse
        bool since = false;                 // txtSince, udSince, its label
        std::array<bool, kOnceRows> once{}; // txtOnce, udOnce, label per row
    };
    Enabled enabled() const;

    // What a number box holds: the digits 0 to 9 only (or nothing).
    static bool isDayText(const QString &text);

    // The setting names of the days.
    static QString sinceSetting();
    static QString onceSetting(int row); // row 0..2
};

} // namespace velmora
