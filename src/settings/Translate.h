#pragma once

#include <QString>

namespace velmora {

// The translation of an English text from the chosen language file, or the
// text itself when there is none.
QString translate(const QString &text);
inline QString T(const char *text) { return translate(QString::fromUtf8(text)); }
inline QString T(const QString &text) { return translate(text); }

} // namespace velmora
