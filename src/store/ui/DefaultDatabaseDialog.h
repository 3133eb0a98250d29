#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace velmora {

// The default-database window (frmOptionsDefaultdatabase): the book opened at
// start, typed or chosen with Browse. OK checks and opens it; an empty box
// clears the default. What Browse and OK do is given by the window that opens
// it.
class DefaultDatabaseDialog : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        // Browse: the chosen path, or the empty text when cancelled.
        std::function<QString()> browse;
        // OK with the text of the box: true when the window closes.
        std::function<bool(const QString &path)> accept;
    };
    explicit DefaultDatabaseDialog(Actions actions, QWidget *parent = nullptr);

public slots:
    void loadLanguage();
    void browse();
    void ok();

private:
    Actions m_actions;
    QGroupBox *m_fraDatabase;
    QLineEdit *m_txtDatabase;
    QPushButton *m_cmdOpen;
    QPushButton *m_cmdOk;
    QPushButton *m_cmdCancel;
};

} // namespace velmora
