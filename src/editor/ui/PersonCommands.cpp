#include "editor/ui/PersonCommands.h"

#include "app/Prompts.h"
#include "app/Seams.h"
#include "editor/PersonStore.h"
#include "editor/ui/PersonEditor.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/Translate.h"

namespace velmora {

int PersonCommands::addPerson(ListHost &host, QWidget *parent)
{
    PersonEditor editor(PersonEditor::Mode::Add, 0, &host, parent);
    editor.exec();
    return editor.savedContactnr();
}

bool PersonCommands::editPerson(ListHost &host, int contactnr, QWidget *parent)
{
    PersonEditor editor(PersonEditor::Mode::Edit, contactnr, &host, parent);
    if (!editor.isLoaded()) {
        prompts().message(T("The person could not be read from the database."), T("Error"),
                          Icon::Exclamation);
        host.hideDetails();
        host.fillPersonList();
        return false;
    }
    editor.exec();
    return editor.savedContactnr() != 0;
}

bool PersonCommands::removePerson(ListHost &host, int contactnr)
{
    switch (PersonStore::removePerson(contactnr)) {
    case PersonStore::Removal::Kept:
    case PersonStore::Removal::Failed:
        return false;
    case PersonStore::Removal::Removed:
        host.hideDetails();
        host.fillPersonList();
        return true;
    case PersonStore::Removal::NotFound:
        // The person is gone already: show the list as the book has it.
        host.hideDetails();
        host.fillPersonList();
        return false;
    }
    return false;
}

} // namespace velmora
