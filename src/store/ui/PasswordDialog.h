#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

// The password window (frmPassword): the file concerned and a masked box for
// its password. OK can be pressed only while the box holds something.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    // afterWrongPassword: the window comes again after a wrong password and
    // says so.
    PasswordDialog(const QString &path, bool afterWrongPassword, QWidget *parent = nullptr);

    // The typed password (not trimmed) after OK; empty after Cancel.
    QString password() const { return m_password; }

    // Shows the window modally for a file; the typed password, or the empty
    // text when the window was cancelled or closed.
    static QString askPassword(const QString &path, bool afterWrongPassword, QWidget *parent = nullptr);

public slots:
    void loadLanguage();

private:
    void passwordChanged(const QString &text);

    QLabel *m_lblFile;
    QLineEdit *m_txtFile;
    QLabel *m_lblPassword;
    QLineEdit *m_txtPassword;
    QLabel *m_lblWrong;
    QPushButton *m_cmdOk;
    QPushButton *m_cmdCancel;
    QString m_password;
};

} // namespace velmora
