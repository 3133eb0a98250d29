#pragma once

#include "settings/LanguageList.h"

#include <QList>
#include <QObject>

class QAction;
class QMenu;

namespace velmora {

// The language entries of the Options menu: one checkable entry per language
// (objectName "mnuOptionsLanguageLanguages", property "index"), entry 0 the
// built-in English. A click chooses the language and reports it.
class LanguageMenu : public QObject {
    Q_OBJECT
public:
    explicit LanguageMenu(QMenu *menu);

    // Builds the entries from the language files and selects the language in
    // force (first start: the language of the user's locale).
    void initLanguage();
    void choose(int index);
    const LanguageList &languages() const { return m_languages; }
    QList<QAction *> actions() const { return m_actions; }

signals:
    // The user chose another language: every window applies its captions.
    void languageChosen();

private:
    void rebuild();
    void showChecks();

    QMenu *m_menu;
    LanguageList m_languages;
    QList<QAction *> m_actions;
};

} // namespace velmora
