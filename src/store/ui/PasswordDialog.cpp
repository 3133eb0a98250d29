#include "store/ui/PasswordDialog.h"

#include "settings/Translate.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

PasswordDialog::PasswordDialog(const QString &path, bool afterWrongPassword, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    setModal(true);

    m_lblFile = new QLabel(this);
    m_lblFile->setObjectName(QStringLiteral("lblFile"));
    m_txtFile = new QLineEdit(path, this);
    m_txtFile->setObjectName(QStringLiteral("txtFile"));
    m_txtFile->setReadOnly(true);
    m_txtFile->setMinimumWidth(360);
    m_txtFile->setCursorPosition(0);
    m_lblPassword = new QLabel(this);
    m_lblPassword->setObjectName(QStringLiteral("lblPassword"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_lblWrong = new QLabel(this);
    m_lblWrong->setObjectName(QStringLiteral("lblWrongPassword"));
    m_lblWrong->setVisible(afterWrongPassword);
    m_lblFile->setBuddy(m_txtFile);
    m_lblPassword->setBuddy(m_txtPassword);

    auto *buttons = new QDialogButtonBox(this);
    m_cmdOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdOk->setDefault(true);
    m_cmdOk->setEnabled(false);
    m_cmdCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *form = new QFormLayout;
    form->addRow(m_lblFile, m_txtFile);
    form->addRow(m_lblPassword, m_txtPassword);
    form->addRow(QString(), m_lblWrong);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_txtPassword, &QLineEdit::textChanged, this, &PasswordDialog::passwordChanged);
    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        m_password = m_txtPassword->text();
        accept();
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        m_password.clear();
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] { m_password.clear(); });

    m_txtPassword->setFocus();
    loadLanguage();
}

void PasswordDialog::loadLanguage()
{
    setWindowTitle(T("Password"));
    m_lblFile->setText(T("File") + QLatin1Char(':'));
    m_lblPassword->setText(T("Password") + QLatin1Char(':'));
    m_lblWrong->setText(T("Wrong password"));
    m_cmdOk->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void PasswordDialog::passwordChanged(const QString &text)
{
    m_cmdOk->setEnabled(!text.isEmpty());
}

QString PasswordDialog::askPassword(const QString &path, bool afterWrongPassword, QWidget *parent)
{
    PasswordDialog dialog(path, afterWrongPassword, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.password();
}

} // namespace velmora
