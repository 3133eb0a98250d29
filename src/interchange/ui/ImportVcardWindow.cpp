#include "interchange/ui/ImportVcardWindow.h"

#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/TextFunctions.h"
#include "app/ui/ProgressWindow.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/Environment.h"
#include "settings/Translate.h"
#include "store/Database.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

ImportVcardWindow::ImportVcardWindow(VcardImport &import, const QString &path, ListHost *host,
                                     QWidget *parent)
    : QDialog(parent), m_import(import), m_host(host), m_path(path)
{
    setObjectName(QStringLiteral("frmImportVcard"));
    auto *layout = new QVBoxLayout(this);
    m_lblFile = new QLabel(this);
    m_lblFile->setObjectName(QStringLiteral("lblFile"));
    m_lblFile->setTextFormat(Qt::PlainText);
    m_lblPersons = new QLabel(this);
    m_lblPersons->setObjectName(QStringLiteral("lblPersons"));
    m_lblDuplicates = new QLabel(this);
    m_lblDuplicates->setObjectName(QStringLiteral("lblDuplicates"));
    m_lblProblems = new QLabel(this);
    m_lblProblems->setObjectName(QStringLiteral("lblProblems"));
    m_chkDuplicates = new QCheckBox(this);
    m_chkDuplicates->setObjectName(QStringLiteral("chkDuplicates"));
    auto *buttons = new QDialogButtonBox(this);
    m_cmdOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    m_cmdOk->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOk->setDefault(true);
    m_cmdCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportVcardWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportVcardWindow::reject);
    for (QWidget *w : {static_cast<QWidget *>(m_lblFile), static_cast<QWidget *>(m_lblPersons),
                       static_cast<QWidget *>(m_lblDuplicates), static_cast<QWidget *>(m_lblProblems),
                       static_cast<QWidget *>(m_chkDuplicates)})
        layout->addWidget(w);
    layout->addWidget(buttons);
    m_chkDuplicates->setEnabled(m_import.duplicates() > 0);
    m_lblProblems->setVisible(!m_import.file().problems.isEmpty());
    loadLanguage();
}

void ImportVcardWindow::loadLanguage()
{
    setWindowTitle(T("Import vCard"));
    m_lblFile->setText(fileNameOfPath(m_path));
    m_lblFile->setToolTip(m_path);
    m_lblPersons->setText(T("Persons in the file: %1").arg(m_import.file().persons.size()));
    m_lblDuplicates->setText(T("Already in the book: %1").arg(m_import.duplicates()));
    m_lblProblems->setText(T("Cards that could not be read: %1").arg(m_import.file().problems.size()));
    m_chkDuplicates->setText(T("Import the persons already in the book as well"));
    m_cmdOk->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void ImportVcardWindow::accept()
{
    hide();
    VcardImport::Outcome outcome;
    {
        ProgressWindow progress(parentWidget());
        outcome = m_import.write(m_chkDuplicates->isChecked(), progress.callback());
    }
    m_imported = outcome == VcardImport::Outcome::Written;
    if (m_host && m_imported) {
        m_host->setSearchMode(false);
        m_host->fillPersonList();
    }
    if (m_imported || outcome == VcardImport::Outcome::NothingNew)
        prompts().message(m_import.summary(), T("Import vCard"), Icon::Information);
    QDialog::accept();
}

QString ImportVcardWindow::askFile()
{
    FileDialog d;
    d.title = T("Import vCard");
    d.filter =
        QStringLiteral("vCard (*.vcf;*.vcard)|*.vcf;*.vcard|") + T("All files") + QStringLiteral(" (*)|*");
    d.startFolder = getExportDirectory();
    return prompts().openFile(d);
}

void ImportVcardWindow::run(QWidget *parent, ListHost &list, const QString &givenPath)
{
    Database &db = Database::instance();
    if (!db.isOpen())
        return;
    if (db.isReadOnly()) {
        prompts().message(T("Velmora database") + QLatin1Char(' ') + db.path() + QLatin1Char(' ') +
                              T("is read-only") + QLatin1Char('!'),
                          T("Error"), Icon::Exclamation);
        return;
    }
    const QString path = givenPath.isEmpty() ? askFile() : givenPath;
    if (path.isEmpty())
        return;
    VcardImport import;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool loaded = import.load(path, error);
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        prompts().message(error, T("Import vCard"), Icon::Exclamation);
        return;
    }
    if (import.file().persons.isEmpty()) {
        prompts().message(import.summary(), T("Import vCard"), Icon::Exclamation);
        return;
    }
    ImportVcardWindow window(import, path, &list, parent);
    window.exec();
}

} // namespace velmora
