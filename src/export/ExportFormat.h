#pragma once

namespace velmora {

// The formats of the export window, in the order of its option buttons.
enum class ExportFormat { Text, Html, Vcard, Vcard4 };

} // namespace velmora
