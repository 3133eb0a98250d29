#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace velmora {

// The default-database window (frmOptionsDefaultdatabase): the book opened at
// start, typed or chosen with Browse. OK checks and opens it; an empty box
// clears the default.
class DefaultDatabaseDialog : public QDialog {
    Q_OBJECT
public:
    explicit DefaultDatabaseDialog(QWidget *parent = nullptr);

public slots:
    void loadLanguage();
    void browse();
    void ok();

private:
    QGroupBox *m_fraDatabase;
    QLineEdit *m_txtDatabase;
    QPushButton *m_cmdOpen;
    QPushButton *m_cmdOk;
    QPushButton *m_cmdCancel;
};

} // namespace velmora
