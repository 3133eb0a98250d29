#include "sync/ui/SyncOptionsWindow.h"

#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/SecretStore.h"
#include "app/ui/ProgressWindow.h"
#include "settings/Translate.h"
#include "store/Database.h"
#include "sync/BookSync.h"
#include "sync/SyncSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

SyncOptionsWindow::SyncOptionsWindow(QWidget *parent)
    : QDialog(parent), m_lblSyncUrl(new QLabel(this)), m_txtSyncUrl(new QLineEdit(this)),
      m_lblSyncUser(new QLabel(this)), m_txtSyncUser(new QLineEdit(this)),
      m_lblSyncPassword(new QLabel(this)), m_txtSyncPassword(new QLineEdit(this)),
      m_lblSecretStore(new QLabel(this)), m_cmdTest(new QPushButton(this)),
      m_lblAddressBook(new QLabel(this)), m_cboAddressBook(new QComboBox(this)),
      m_chkSyncOpenClose(new QCheckBox(this)), m_cmdOK(new QPushButton(this)),
      m_cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmSync"));
    m_lblSyncUrl->setObjectName(QStringLiteral("lblSyncUrl"));
    m_txtSyncUrl->setObjectName(QStringLiteral("txtSyncUrl"));
    m_lblSyncUser->setObjectName(QStringLiteral("lblSyncUser"));
    m_txtSyncUser->setObjectName(QStringLiteral("txtSyncUser"));
    m_lblSyncPassword->setObjectName(QStringLiteral("lblSyncPassword"));
    m_txtSyncPassword->setObjectName(QStringLiteral("txtSyncPassword"));
    m_lblSecretStore->setObjectName(QStringLiteral("lblSecretStore"));
    m_cmdTest->setObjectName(QStringLiteral("cmdTest"));
    m_lblAddressBook->setObjectName(QStringLiteral("lblAddressBook"));
    m_cboAddressBook->setObjectName(QStringLiteral("cboAddressBook"));
    m_chkSyncOpenClose->setObjectName(QStringLiteral("chkSyncOpenClose"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    m_txtSyncUrl->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    m_txtSyncUrl->setPlaceholderText(QStringLiteral("https://dav.example.org/"));
    m_txtSyncPassword->setEchoMode(QLineEdit::Password);
    m_lblSecretStore->setWordWrap(true);
    m_lblSecretStore->setFixedWidth(m_txtSyncUrl->minimumWidth());
    m_cboAddressBook->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A long address shows whole in the tip.
    connect(m_cboAddressBook, &QComboBox::currentIndexChanged, this,
            [this] { m_cboAddressBook->setToolTip(m_cboAddressBook->currentData().toString()); });
    m_lblSyncUrl->setBuddy(m_txtSyncUrl);
    m_lblSyncUser->setBuddy(m_txtSyncUser);
    m_lblSyncPassword->setBuddy(m_txtSyncPassword);
    m_lblAddressBook->setBuddy(m_cboAddressBook);

    auto *form = new QFormLayout;
    form->addRow(m_lblSyncUrl, m_txtSyncUrl);
    form->addRow(m_lblSyncUser, m_txtSyncUser);
    form->addRow(m_lblSyncPassword, m_txtSyncPassword);
    form->addRow(QString(), m_lblSecretStore);
    form->addRow(m_lblAddressBook, m_cboAddressBook);
    form->addRow(QString(), m_chkSyncOpenClose);

    m_cmdOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdTest);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch(1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    // Another server or user: the address books found before are not its.
    for (QLineEdit *box : {m_txtSyncUrl, m_txtSyncUser})
        connect(box, &QLineEdit::textEdited, m_cboAddressBook, &QComboBox::clear);
    connect(m_cmdTest, &QPushButton::clicked, this, &SyncOptionsWindow::testConnection);
    connect(m_cmdOK, &QPushButton::clicked, this, &SyncOptionsWindow::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    const SyncSettings settings = SyncSettings::load();
    m_txtSyncUrl->setText(settings.serverUrl);
    m_txtSyncUser->setText(settings.user);
    m_chkSyncOpenClose->setChecked(settings.onOpenClose);
    if (!settings.addressBook.isEmpty())
        addAddressBook(settings.addressBook, QString());
    if (settings.isSetUp()) {
        m_oldKey = settings.secretKey();
        QString password;
        bool found = false;
        m_storeAvailable = secretStore().readSecret(m_oldKey, password, found, m_storeError);
        m_txtSyncPassword->setText(password);
    }
    m_lblSecretStore->setVisible(!m_storeAvailable);
    loadLanguage();
}

void SyncOptionsWindow::loadLanguage()
{
    setWindowTitle(T("Synchronisation"));
    m_lblSyncUrl->setText(T("Server") + QLatin1Char(':'));
    m_lblSyncUser->setText(T("User name") + QLatin1Char(':'));
    m_lblSyncPassword->setText(T("Password") + QLatin1Char(':'));
    m_lblSecretStore->setText(T("The desktop's secret store is not available:") + QLatin1Char(' ') +
                              m_storeError + QLatin1Char('\n') +
                              T("The password is asked for at each synchronisation."));
    m_lblAddressBook->setText(T("Address book") + QLatin1Char(':'));
    m_cmdTest->setText(T("Test connection"));
    m_chkSyncOpenClose->setText(T("Synchronise when the book is opened and closed"));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void SyncOptionsWindow::addAddressBook(const QString &url, const QString &name)
{
    const QString caption =
        name.isEmpty() || name == url ? url : name + QStringLiteral(" (") + url + QLatin1Char(')');
    m_cboAddressBook->addItem(caption, url);
}

void SyncOptionsWindow::testConnection()
{
    QString error;
    if (SyncSettings::serverAddress(m_txtSyncUrl->text(), error).isEmpty()) {
        prompts().message(error, T("Synchronisation"), Icon::Exclamation);
        m_txtSyncUrl->setFocus();
        return;
    }
    QList<DavAddressBook> books;
    DavError e;
    {
        ProgressWindow busy(this);
        e = discoverAddressBooks(m_txtSyncUrl->text(), m_txtSyncUser->text(), m_txtSyncPassword->text(),
                                 books);
    }
    if (e) {
        prompts().message(T("The connection failed:") + QLatin1Char('\n') + e.text, T("Synchronisation"),
                          Icon::Exclamation);
        return;
    }
    if (books.isEmpty()) {
        prompts().message(T("The server has no address book at this address."), T("Synchronisation"),
                          Icon::Exclamation);
        return;
    }
    const QString chosen = m_cboAddressBook->currentData().toString();
    m_cboAddressBook->clear();
    for (const DavAddressBook &b : books)
        addAddressBook(b.url.toString(), b.displayName);
    const int again = m_cboAddressBook->findData(chosen);
    m_cboAddressBook->setCurrentIndex(again >= 0 ? again : 0);
    prompts().message(T("The connection works. Address books found: %1").arg(books.size()),
                      T("Synchronisation"), Icon::Information);
}

void SyncOptionsWindow::ok()
{
    SyncSettings settings = SyncSettings::load();
    const QString url = m_txtSyncUrl->text().trimmed();
    QString error;
    if (!url.isEmpty() && SyncSettings::serverAddress(url, error).isEmpty()) {
        prompts().message(error, T("Synchronisation"), Icon::Exclamation);
        m_txtSyncUrl->setFocus();
        return;
    }
    if (!url.isEmpty() && m_txtSyncUser->text().isEmpty()) {
        prompts().message(T("Enter the user name."), T("Synchronisation"), Icon::Exclamation);
        m_txtSyncUser->setFocus();
        return;
    }
    // Another server or user starts afresh with the address book.
    if (url != settings.serverUrl || m_txtSyncUser->text() != settings.user)
        settings.book.clear();
    settings.serverUrl = url;
    settings.user = m_txtSyncUser->text();
    settings.addressBook = m_cboAddressBook->currentData().toString();
    settings.onOpenClose = m_chkSyncOpenClose->isChecked();
    // The book open while sync is set up is the one it is for.
    Database &db = Database::instance();
    if (settings.book.isEmpty() && db.isOpen() && !db.isReadOnly())
        settings.book = db.path();
    settings.save();
    if (settings.isSetUp() && m_storeAvailable &&
        !keepSyncPassword(settings, m_txtSyncPassword->text(), m_oldKey, error))
        prompts().message(error + QLatin1Char('\n') + T("The password is asked for at each synchronisation."),
                          T("Synchronisation"), Icon::Exclamation);
    accept();
}

} // namespace velmora
