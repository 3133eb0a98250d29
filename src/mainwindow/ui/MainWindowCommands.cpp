#include "mainwindow/ui/MainWindow.h"

#include "app/PersonKey.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/Website.h"
#include "app/ui/ClipboardText.h"
#include "mainwindow/DatabaseCommands.h"
#include "mainwindow/DetailRules.h"
#include "mainwindow/NoteLinks.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/ui/DetailsPane.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "settings/ui/AboutDialog.h"
#include "settings/ui/LanguageMenu.h"
#include "store/Database.h"
#include "store/RecentDatabases.h"
#include "store/ui/DefaultDatabaseDialog.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

namespace velmora {

// What the menu commands, the toolbar and the pop-up menu do.

void MainWindow::openByUser(const std::function<void()> &open)
{
    m_openingByUser = true;
    open();
    m_openingByUser = false;
}

void MainWindow::syncBeforeClose()
{
    if (m_hooks.syncAutomatically && Database::instance().isOpen())
        m_hooks.syncAutomatically(this, *this);
}

void MainWindow::newDatabase()
{
    syncBeforeClose();
    openByUser([] { newDatabaseCommand(); });
}

void MainWindow::openDatabase()
{
    syncBeforeClose();
    openByUser([] { openDatabaseCommand(); });
}

void MainWindow::closeDatabase()
{
    syncBeforeClose();
    Database::instance().closeDatabase(true);
}

void MainWindow::addPassword()
{
    addPasswordCommand();
}

void MainWindow::removePassword()
{
    removePasswordCommand();
}

void MainWindow::copyDatabase()
{
    copyDatabaseCommand();
}

void MainWindow::sendDatabase()
{
    if (m_hooks.sendDatabase && Database::instance().isOpen())
        m_hooks.sendDatabase(this);
}

void MainWindow::importVcard(const QString &path)
{
    if (m_hooks.importVcard && writable())
        m_hooks.importVcard(this, *this, path);
}

namespace {

// The first local .vcf (or .vcard) file among dropped ones.
QString droppedVcard(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".vcard"), Qt::CaseInsensitive))
            return path;
    }
    return {};
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (writable() && !droppedVcard(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedVcard(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    importVcard(path);
}

void MainWindow::openRecent(int index)
{
    syncBeforeClose();
    openByUser([index] { RecentDatabases::instance().openRecent(index); });
    loadRecentMenu();
}

void MainWindow::addPerson()
{
    if (m_hooks.addPerson && writable())
        m_hooks.addPerson(this, *this);
}

void MainWindow::editPerson()
{
    const int nr = m_shownContactnr >= 0 ? m_shownContactnr : selectedContactnr();
    if (m_hooks.editPerson && writable() && nr >= 0 && !m_details->isHidden())
        m_hooks.editPerson(this, *this, nr);
}

void MainWindow::removePerson()
{
    const int nr = m_shownContactnr >= 0 ? m_shownContactnr : selectedContactnr();
    if (!m_hooks.removePerson || !writable() || nr < 0 || m_details->isHidden())
        return;
    if (m_hooks.removePerson(this, *this, nr)) {
        hideDetails();
        fillPersonList();
    }
}

void MainWindow::copyPerson()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const PersonRow &r = m_model->rowAt(row);
    copyPlainText(personCopyText(r.text, r.subItem));
}

void MainWindow::preparePopupMain()
{
    action(QStringLiteral("mnuPopupMainAdd"))->setEnabled(writable());
    const int nr = selectedContactnr();
    if (m_model->rowCount() == 0 || nr < 0) {
        for (const char *name : {"mnuPopupMainEdit", "mnuPopupMainRemove", "mnuPopupMainCopy"})
            action(QLatin1String(name))->setEnabled(false);
        return;
    }
    showPerson(nr);
    action(QStringLiteral("mnuPopupMainEdit"))->setEnabled(writable());
    action(QStringLiteral("mnuPopupMainRemove"))->setEnabled(writable());
    action(QStringLiteral("mnuPopupMainCopy"))->setEnabled(true);
}

void MainWindow::exportPersons()
{
    if (m_hooks.exportPersons && m_model->rowCount() > 0)
        m_hooks.exportPersons(this);
}

void MainWindow::emailList()
{
    if (m_hooks.emailList && m_model->rowCount() > 0)
        m_hooks.emailList(this);
}

void MainWindow::birthdayCalendar()
{
    if (m_hooks.birthdayCalendar && Database::instance().isOpen())
        m_hooks.birthdayCalendar(this);
}

void MainWindow::syncNow()
{
    if (m_hooks.syncNow && writable())
        m_hooks.syncNow(this, *this);
}

void MainWindow::syncOptions()
{
    if (m_hooks.syncOptions)
        m_hooks.syncOptions(this);
}

void MainWindow::chooseLanguage(int index)
{
    m_languageMenu->choose(index);
}

void MainWindow::defaultDatabase()
{
    DefaultDatabaseDialog dialog({browseDatabaseFile, acceptDefaultDatabase}, this);
    dialog.exec();
}

void MainWindow::toggleCheckVersion()
{
    const bool on = getSetting(QStringLiteral("Check version")) != QLatin1String("1");
    saveSetting(QStringLiteral("Check version"), on ? QStringLiteral("1") : QStringLiteral("0"));
    action(QStringLiteral("mnuOptionsCheck"))->setChecked(on);
    if (on && m_hooks.checkVersion)
        m_hooks.checkVersion(this);
}

void MainWindow::reminderOptions()
{
    if (m_hooks.reminderOptions)
        m_hooks.reminderOptions(this);
}

void MainWindow::showDateFormatChecks(int index)
{
    for (QAction *a : m_dateFormats)
        a->setChecked(a->property("index").toInt() == index);
}

void MainWindow::chooseDateFormat(int index)
{
    if (index < 0 || index > 2)
        return;
    showDateFormatChecks(index);
    m_details->setDateFormatLabel(dateFormatLabel(m_dateFormats[index]->text()));
    velmora::chooseDateFormat(index);
    const int nr = selectedContactnr();
    if (!m_fraList->isHidden() && m_model->rowCount() > 0 && nr >= 0)
        showPerson(nr);
}

void MainWindow::showFontSizeChecks(int size)
{
    action(QStringLiteral("mnuOptionsFontSize8"))->setChecked(size != 10);
    action(QStringLiteral("mnuOptionsFontSize10"))->setChecked(size == 10);
}

void MainWindow::chooseFontSize(int size)
{
    showFontSizeChecks(size);
    applyFontSize(size);
    velmora::chooseFontSize(size);
}

void MainWindow::applyFontSize(int size)
{
    const qreal points = fontPoints(size);
    for (QWidget *w : {static_cast<QWidget *>(m_txtQuickSearch), static_cast<QWidget *>(m_lvwMain)}) {
        QFont f = w->font();
        f.setPointSizeF(points);
        w->setFont(f);
    }
    m_details->setFontPointSize(points);
    if (m_fraList->isHidden())
        return;
    const bool shown = !m_details->isHidden();
    const int remembered = m_shownContactnr;
    fillPersonList();
    if (!shown || remembered < 0)
        return;
    const int row = m_model->rowOfKey(personKey(remembered));
    if (row >= 0) {
        selectRow(row);
        m_lvwMain->setFocus();
    }
    showPerson(remembered);
}

void MainWindow::website()
{
    openLink(websiteAddress());
}

void MainWindow::about()
{
    AboutDialog dialog(this);
    dialog.exec();
}

} // namespace velmora
