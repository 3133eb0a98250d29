#include "settings/ui/LanguageMenu.h"

#include <QAction>
#include <QMenu>

namespace velmora {

LanguageMenu::LanguageMenu(QMenu *menu) : QObject(menu), m_menu(menu) {}

void LanguageMenu::initLanguage()
{
    m_languages.initLanguage();
    rebuild();
}

void LanguageMenu::rebuild()
{
    qDeleteAll(m_actions);
    m_actions.clear();
    const auto &entries = m_languages.entries();
    for (int i = 0; i < int(entries.size()); ++i) {
        auto *action = new QAction(entries[i].caption, m_menu);
        action->setObjectName(QStringLiteral("mnuOptionsLanguageLanguages"));
        action->setProperty("index", i);
        action->setCheckable(true);
        // Captions are language names, never access keys.
        action->setText(QString(entries[i].caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
        m_menu->addAction(action);
        m_actions.append(action);
    }
    showChecks();
}

void LanguageMenu::showChecks()
{
    const auto &entries = m_languages.entries();
    for (int i = 0; i < int(m_actions.size()) && i < int(entries.size()); ++i)
        m_actions[i]->setChecked(entries[i].checked);
}

void LanguageMenu::choose(int index)
{
    if (!m_languages.chooseLanguage(index)) {
        showChecks();
        return;
    }
    showChecks();
    emit languageChosen();
}

} // namespace velmora
