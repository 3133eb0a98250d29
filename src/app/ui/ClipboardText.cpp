#include "app/ui/ClipboardText.h"

#include <QClipboard>
#include <QGuiApplication>

namespace velmora {

void copyPlainText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace velmora
