#pragma once

#include "export/ExportFormat.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmora {

// The E-mail command of an export preview (frmExportEmail): the recipient
// (the last one used, selected) and a message text; OK mails the export as
// an attachment and closes the window once it went.
class ExportMailWindow : public QDialog {
    Q_OBJECT
public:
    explicit ExportMailWindow(ExportFormat format, QWidget *parent = nullptr);

    void loadLanguage();

public slots:
    void ok();

private:
    ExportFormat m_format;
    QLabel *m_lblEmail;
    QLineEdit *m_txtEmail;
    QLabel *m_lblDescription;
    QPlainTextEdit *m_txtDescription;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

} // namespace velmora
