#pragma once

#include <QString>

namespace velmora {

// Puts a text on the clipboard as plain text, after clearing it.
void copyPlainText(const QString &text);

} // namespace velmora
