#include "sync/ui/SyncCommands.h"

#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/ui/ProgressWindow.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/Translate.h"
#include "store/Database.h"
#include "sync/BookSync.h"
#include "sync/SyncSettings.h"
#include "sync/ui/SyncOptionsWindow.h"

#include <algorithm>

namespace velmora {

namespace {

bool bookChanged(const SyncSummary &s)
{
    return s.pulled > 0 || s.removedLocal > 0 || s.conflicts > 0;
}

// The password is found (or asked for) before the progress window shows.
SyncResult runWithProgress(QWidget *parent)
{
    QString reason;
    const QString password = syncPassword(SyncSettings::load(), reason);
    if (password.isEmpty())
        return SyncResult{false, reason, {}};
    ProgressWindow progress(parent);
    return syncOpenBook(progress.callback(), password);
}

// The list shows the book as the sync left it, with the shown person again
// when it is still there.
void refresh(ListHost *list, const SyncResult &result)
{
    if (!list || !bookChanged(result.summary))
        return;
    const int shown = list->shownPerson();
    list->fillPersonList();
    const std::vector<int> listed = list->listedPersons();
    if (shown >= 0 && std::find(listed.begin(), listed.end(), shown) != listed.end())
        list->selectPerson(shown);
    else
        list->hideDetails();
}

void showFailure(const SyncResult &result)
{
    prompts().message(T("The synchronisation failed:") + QLatin1Char('\n') + result.errorText,
                      T("Synchronisation"), Icon::Exclamation);
}

} // namespace

namespace SyncCommands {

bool syncOptions(QWidget *parent)
{
    SyncOptionsWindow window(parent);
    return window.exec() == QDialog::Accepted;
}

void syncNow(QWidget *parent, ListHost &list)
{
    const Database &db = Database::instance();
    if (!db.isOpen() || db.isReadOnly())
        return;
    if (!SyncSettings::load().isSetUp() && (!syncOptions(parent) || !SyncSettings::load().isSetUp()))
        return;
    // Another book than the one synced would mix its persons with the
    // server's: only when the user says so.
    const SyncSettings settings = SyncSettings::load();
    if (!settings.book.isEmpty() && settings.book != db.path() &&
        prompts().message(T("The address book on the server is synchronised with another book:") +
                              QLatin1Char('\n') + settings.book + QStringLiteral("\n\n") +
                              T("Synchronise this book with it as well?"),
                          T("Synchronisation"), Icon::Question, Buttons::YesNo) != Answer::Yes)
        return;
    const SyncResult result = runWithProgress(parent);
    refresh(&list, result);
    if (!result.ok) {
        showFailure(result);
        return;
    }
    prompts().message(result.summary.text(), T("Synchronisation"), Icon::Information);
}

void syncAutomatically(QWidget *parent, ListHost *list)
{
    const Database &db = Database::instance();
    const SyncSettings settings = SyncSettings::load();
    // Another book than the one synced is never mixed with the server; the
    // first book synced becomes the one (see syncOpenBook).
    if (!settings.onOpenClose || !settings.isSetUp() || !db.isOpen() || db.isReadOnly() ||
        (!settings.book.isEmpty() && settings.book != db.path()))
        return;
    const SyncResult result = runWithProgress(parent);
    refresh(list, result);
    if (!result.ok)
        showFailure(result);
    else if (result.summary.conflicts > 0)
        prompts().message(result.summary.text(), T("Synchronisation"), Icon::Information);
}

} // namespace SyncCommands
} // namespace velmora
