#pragma once

#include "interchange/VcardImport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace velmora {

class ListHost;

// The import window "frmImportVcard": what the chosen vCard file holds (how
// many persons, how many of them the book has already, how many cards cannot
// be read) and the choice to import the persons already in the book as
// well. OK writes the persons with a progress window, shows the summary and
// rebuilds the contact list.
class ImportVcardWindow : public QDialog {
    Q_OBJECT
public:
    ImportVcardWindow(VcardImport &import, const QString &path, ListHost *host, QWidget *parent = nullptr);

    // File > Import vCard... (path empty: asks for the file) and a .vcf
    // file dropped on the main window (the path given).
    static void run(QWidget *parent, ListHost &list, const QString &path);
    // The file dialog of the import.
    static QString askFile();

    void loadLanguage();
    bool imported() const { return m_imported; }

public slots:
    void accept() override;

private:
    VcardImport &m_import;
    ListHost *m_host;
    QString m_path;
    QLabel *m_lblFile = nullptr;
    QLabel *m_lblPersons = nullptr;
    QLabel *m_lblDuplicates = nullptr;
    QLabel *m_lblProblems = nullptr;
    QCheckBox *m_chkDuplicates = nullptr;
    QPushButton *m_cmdOk = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    bool m_imported = false;
};

} // namespace velmora
