#pragma once

#include "app/Prompts.h"

class QWidget;

namespace velmora {

// Prompts shown as real dialogs, parented to the active window.
class WidgetPrompts final : public Prompts {
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons) override;
    QString openFile(const FileDialog &dialog) override;
    QString saveFile(const FileDialog &dialog) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    QString askPassword(const QString &path, bool afterWrongPassword) override;
    QString askAccountPassword(const QString &account, const QString &reason) override;
};

// Turns "Text (*.a)|*.a|Other|*.b" into a QFileDialog filter list.
QString qtFilter(const QString &filter);

} // namespace velmora
