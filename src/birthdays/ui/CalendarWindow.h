#pragma once

#include "birthdays/CalendarGenerator.h"

#include <QDialog>
#include <QHash>

class QAction;
class QMenu;
class QRadioButton;
class QToolBar;
class QToolButton;

namespace velmora {

class PageView;

// The birthday calendar (frmCalendar): the month pages in a page view,
// starting at this month; a toolbar to save a set of pages, print, set up
// the page and pick a style; the choice of Monday or Sunday weeks. The
// pages live in the temporary folder while the window is open.
class CalendarWindow : public QDialog {
    Q_OBJECT
public:
    explicit CalendarWindow(QWidget *parent = nullptr);
    ~CalendarWindow() override;

    // Shows the window modally over parent.
    static void run(QWidget *parent);

    void loadLanguage();
    // A toolbar button, by its key ("Save", "Print", "Setup", "Ics", "Css").
    QAction *button(const QString &key) const { return m_buttons.value(key); }
    // Adds a button keyed key to the toolbar, before the style drop-down.
    QAction *addButton(const QString &key, const QString &themeIcon);
    PageView *view() const { return m_wbrCalendar; }
    CalendarGenerator &generator() { return m_generator; }

    // The toolbar's commands.
    void saveCalendar();
    void printCalendar();
    void pageSetup();
    void chooseStyle(const QString &name);

    void done(int result) override;

private:
    void fillStyleMenu();
    void chooseWeekStart(WeekStart weekStart);
    void generate();
    void pageLoaded();
    void report(const QString &text);
    QString weekCaption(WeekStart weekStart) const;

    CalendarGenerator m_generator;
    QToolBar *m_tlbHtml;
    QMenu *m_styleMenu;
    QToolButton *m_cssButton = nullptr;
    QAction *m_styleSeparator = nullptr;
    QHash<QString, QAction *> m_buttons;
    QRadioButton *m_optMonday;
    QRadioButton *m_optSunday;
    PageView *m_wbrCalendar;
    bool m_printer = false;
    bool m_filesDeleted = false;
};

} // namespace velmora
