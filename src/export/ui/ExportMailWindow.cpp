#include "export/ui/ExportMailWindow.h"

#include "export/PreviewCommands.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace velmora {

ExportMailWindow::ExportMailWindow(ExportFormat format, QWidget *parent)
    : QDialog(parent), m_format(format), m_lblEmail(new QLabel(this)), m_txtEmail(new QLineEdit(this)),
      m_lblDescription(new QLabel(this)), m_txtDescription(new QPlainTextEdit(this)),
      m_cmdOK(new QPushButton(this)), m_cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmExportEmail"));
    m_txtEmail->setObjectName(QStringLiteral("txtEmail"));
    m_txtDescription->setObjectName(QStringLiteral("txtDescription"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_lblEmail->setBuddy(m_txtEmail);
    m_lblDescription->setBuddy(m_txtDescription);
    m_txtEmail->setText(getSetting(QStringLiteral("Email")));
    m_txtEmail->selectAll();
    m_cmdOK->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(m_lblEmail, 0, 0);
    grid->addWidget(m_txtEmail, 0, 1);
    grid->addWidget(m_lblDescription, 1, 0, Qt::AlignTop);
    grid->addWidget(m_txtDescription, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(440, 260);

    auto update = [this] { m_cmdOK->setEnabled(!m_txtEmail->text().trimmed().isEmpty()); };
    connect(m_txtEmail, &QLineEdit::textChanged, this, update);
    connect(m_cmdOK, &QPushButton::clicked, this, &ExportMailWindow::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &ExportMailWindow::reject);
    update();
    loadLanguage();
}

void ExportMailWindow::loadLanguage()
{
    setWindowTitle(T("Send e-mail"));
    m_lblEmail->setText(T("E-mail"));
    m_lblDescription->setText(T("Description"));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void ExportMailWindow::ok()
{
    if (PreviewCommands::email(m_format, m_txtEmail->text(), m_txtDescription->toPlainText()))
        accept();
}

} // namespace velmora
