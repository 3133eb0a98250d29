#pragma once

class QWidget;

namespace velmora {

class ListHost;

// The main window's sync commands: Options > Synchronisation..., Action >
// Sync now (toolbar Sync) and the sync when a book is opened or closed.
namespace SyncCommands {

// The options window; true when it was closed with OK.
bool syncOptions(QWidget *parent);
// Syncs the open book with the progress window and shows the summary.
// When sync is not set up the options window comes first (and the sync
// follows when it is set up there); a book other than the one synced so far
// only when the user confirms. The list is rebuilt when the book changed.
void syncNow(QWidget *parent, ListHost &list);
// The sync when the book the sync is for is opened or about to be closed,
// when the user chose it: silent unless it fails or finds conflicts, and it
// never keeps the book from opening or closing.
void syncAutomatically(QWidget *parent, ListHost *list);

} // namespace SyncCommands
} // namespace velmora
