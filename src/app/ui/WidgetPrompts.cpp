#include "app/ui/WidgetPrompts.h"

#include "settings/Translate.h"
#include "store/ui/PasswordDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace velmora {

QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!label.contains(QLatin1Char('(')))
            label += QStringLiteral(" (") + pattern + QLatin1Char(')');
        out << label;
    }
    return out.join(QStringLiteral(";;"));
}

Answer WidgetPrompts::message(const QString &text, const QString &title, Icon icon, Buttons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString WidgetPrompts::openFile(const FileDialog &d)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), d.title, d.startFolder,
                                        qtFilter(d.filter));
}

QString WidgetPrompts::saveFile(const FileDialog &d)
{
    QFileDialog dlg(QApplication::activeWindow(), d.title, d.startFolder, qtFilter(d.filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // Overwrite questions are the program's own, so the dialog does not ask.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!d.defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(d.defaultSuffix);
    if (!d.fileName.isEmpty())
        dlg.selectFile(d.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

QString WidgetPrompts::chooseFolder(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, startFolder);
}

QString WidgetPrompts::askPassword(const QString &path, bool afterWrongPassword)
{
    return PasswordDialog::askPassword(path, afterWrongPassword, QApplication::activeWindow());
}

QString WidgetPrompts::askAccountPassword(const QString &account, const QString &reason)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("frmAccountPassword"));
    dialog.setWindowTitle(T("Password"));
    QString label = T("Password for %1:").arg(account);
    if (!reason.isEmpty())
        label = reason + QStringLiteral("\n\n") + label;
    dialog.setLabelText(label);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(T("OK"));
    dialog.setCancelButtonText(T("Cancel"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

} // namespace velmora
