#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmora {

// The window that mails the open book (frmSendEmail): the recipient, the
// message text and the book's path. OK sends; the book is closed while it is
// sent and open again afterwards.
class SendEmailWindow : public QDialog {
    Q_OBJECT
public:
    // Filled for the book at path: the last recipient (all selected), the
    // proposed text and the path.
    explicit SendEmailWindow(const QString &path, QWidget *parent = nullptr);
    // Shows the window modally for the open book (the main window's
    // "Send database by e-mail"); nothing when no book is open.
    static void showSendDatabase(QWidget *parent);

public slots:
    void loadLanguage();
    void ok();

private:
    void updateOk();

    QLabel *m_lblEmail;
    QLineEdit *m_txtEmail;
    QLabel *m_lblDescription;
    QPlainTextEdit *m_txtDescription;
    QLabel *m_lblFile;
    QLineEdit *m_txtFile;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

} // namespace velmora
