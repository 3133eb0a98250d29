#include "store/ui/DefaultDatabaseDialog.h"

#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

DefaultDatabaseDialog::DefaultDatabaseDialog(Actions actions, QWidget *parent)
    : QDialog(parent), m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("frmOptionsDefaultdatabase"));
    setModal(true);

    m_fraDatabase = new QGroupBox(this);
    m_fraDatabase->setObjectName(QStringLiteral("fraDatabase"));
    m_txtDatabase = new QLineEdit(m_fraDatabase);
    m_txtDatabase->setObjectName(QStringLiteral("txtDatabase"));
    m_txtDatabase->setMinimumWidth(380);
    m_cmdOpen = new QPushButton(m_fraDatabase);
    m_cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
    auto *row = new QHBoxLayout(m_fraDatabase);
    row->addWidget(m_txtDatabase, 1);
    row->addWidget(m_cmdOpen);

    auto *buttons = new QDialogButtonBox(this);
    m_cmdOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdOk->setDefault(true);
    m_cmdCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraDatabase);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cmdOpen, &QPushButton::clicked, this, &DefaultDatabaseDialog::browse);
    connect(m_cmdOk, &QPushButton::clicked, this, &DefaultDatabaseDialog::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    loadLanguage();
    const QString current = getSetting(QStringLiteral("Default database"));
    if (!current.isEmpty())
        m_txtDatabase->setText(current);
}

void DefaultDatabaseDialog::loadLanguage()
{
    setWindowTitle(T("Default database"));
    m_fraDatabase->setTitle(T("Default database"));
    m_cmdOpen->setText(T("Browse") + QStringLiteral("..."));
    m_cmdOk->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void DefaultDatabaseDialog::browse()
{
    const QString path = m_actions.browse ? m_actions.browse() : QString();
    if (!path.isEmpty())
        m_txtDatabase->setText(path);
}

void DefaultDatabaseDialog::ok()
{
    if (m_actions.accept && m_actions.accept(m_txtDatabase->text()))
        accept();
}

} // namespace velmora
