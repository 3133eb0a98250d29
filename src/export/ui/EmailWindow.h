#pragma once

#include "export/ui/PersonPicker.h"

#include <QDialog>

class QAction;
class QGroupBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace velmora {

// The e-mail address list (frmEmail): persons with an e-mail address are
// picked into lvwEmail; their first addresses, in name order and joined by a
// comma or a semicolon, show in txtList for the clipboard or a new message
// of the mail program (OK, through a mailto: link).
class EmailWindow : public QDialog {
    Q_OBJECT
public:
    // main: the main window's shown person, Search button and listed
    // persons (the search-result button takes those still available).
    explicit EmailWindow(const MainListState &main, QWidget *parent = nullptr);
    // Shows the window modally (the main window's e-mail list command).
    static void run(QWidget *parent, const MainListState &main);

    PersonPicker &picker() const { return *m_picker; }
    // The address list of the chosen persons; enables Copy exactly when it
    // has persons.
    QString buildAddressList();

public slots:
    void loadLanguage();
    void copyAddressList();
    void ok();

private:
    void separatorChosen(bool semicolons);
    void rebuild();
    void showPopup(const QPoint &at);

    QGroupBox *m_fraPerson;
    PersonPicker *m_picker;
    QGroupBox *m_fraList;
    QPlainTextEdit *m_txtList;
    QGroupBox *m_fraFormat;
    QRadioButton *m_optColon;
    QRadioButton *m_optSemicolon;
    QPushButton *m_cmdCopy;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QMenu *m_mnuPopupList;
    QAction *m_mnuPopupListCopy;
};

} // namespace velmora
