#include "export/ui/SendEmailWindow.h"

#include "export/SendDatabase.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/Database.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace velmora {

namespace {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

SendEmailWindow::SendEmailWindow(const QString &path, QWidget *parent)
    : QDialog(parent), m_lblEmail(named(new QLabel(this), "lblEmail")),
      m_txtEmail(named(new QLineEdit(this), "txtEmail")),
      m_lblDescription(named(new QLabel(this), "lblDescription")),
      m_txtDescription(named(new QPlainTextEdit(this), "txtDescription")),
      m_lblFile(named(new QLabel(this), "lblFile")), m_txtFile(named(new QLineEdit(this), "txtFile")),
      m_cmdOK(named(new QPushButton(this), "cmdOK")), m_cmdCancel(named(new QPushButton(this), "cmdCancel"))
{
    setObjectName(QStringLiteral("frmSendEmail"));
    setModal(true);
    // The file is the open book: shown, not chosen here.
    m_txtFile->setReadOnly(true);
    m_txtDescription->setTabChangesFocus(true);
    m_cmdOK->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(m_lblEmail, 0, 0);
    grid->addWidget(m_txtEmail, 0, 1);
    grid->addWidget(m_lblDescription, 1, 0, Qt::AlignTop);
    grid->addWidget(m_txtDescription, 1, 1);
    grid->addWidget(m_lblFile, 2, 0);
    grid->addWidget(m_txtFile, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(520, 320);

    connect(m_txtEmail, &QLineEdit::textChanged, this, &SendEmailWindow::updateOk);
    connect(m_cmdOK, &QPushButton::clicked, this, &SendEmailWindow::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    m_cmdOK->setEnabled(false);
    m_txtEmail->setText(getSetting(QStringLiteral("Email")));
    m_txtEmail->selectAll();
    m_txtFile->setText(path);
    QString description = sendDatabaseDescription(path);
    description.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_txtDescription->setPlainText(description);
    updateOk();
    loadLanguage();
}

void SendEmailWindow::showSendDatabase(QWidget *parent)
{
    Database &database = Database::instance();
    if (!database.isOpen())
        return;
    SendEmailWindow window(database.path(), parent);
    window.exec();
}

void SendEmailWindow::loadLanguage()
{
    setWindowTitle(T("Send e-mail"));
    m_lblEmail->setText(T("E-mail") + QLatin1Char(':'));
    m_lblDescription->setText(T("Description") + QLatin1Char(':'));
    m_lblFile->setText(T("File") + QLatin1Char(':'));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void SendEmailWindow::updateOk()
{
    m_cmdOK->setEnabled(!m_txtEmail->text().isEmpty());
}

void SendEmailWindow::ok()
{
    if (!m_cmdOK->isEnabled())
        return;
    QString text = m_txtDescription->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (sendDatabase(m_txtEmail->text(), text, m_txtFile->text()))
        accept();
}

} // namespace velmora
