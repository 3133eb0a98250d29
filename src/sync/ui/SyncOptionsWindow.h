#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

// Options > Synchronisation (frmSync): the server address, the user name and
// password, the address book to use, sync on open and close. Test connection
// looks up the address books at the address; OK keeps the settings and the
// password (in the desktop's secret store, never in the settings); Cancel
// leaves everything as it was.
class SyncOptionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit SyncOptionsWindow(QWidget *parent = nullptr);

    void loadLanguage();
    // Test connection: fills the address book list (the chosen one stays
    // chosen when the server still has it).
    void testConnection();
    // OK: checks and keeps the choices, then closes.
    void ok();

private:
    void addAddressBook(const QString &url, const QString &name);

    QLabel *m_lblSyncUrl;
    QLineEdit *m_txtSyncUrl;
    QLabel *m_lblSyncUser;
    QLineEdit *m_txtSyncUser;
    QLabel *m_lblSyncPassword;
    QLineEdit *m_txtSyncPassword;
    QLabel *m_lblSecretStore;
    QPushButton *m_cmdTest;
    QLabel *m_lblAddressBook;
    QComboBox *m_cboAddressBook;
    QCheckBox *m_chkSyncOpenClose;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QString m_oldKey; // the secret store's key of the password shown
    bool m_storeAvailable = true;
    QString m_storeError;
};

} // namespace velmora
