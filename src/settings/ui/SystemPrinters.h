#pragma once

namespace velmora {

// The number of printers the system lists.
int systemPrinterCount();
// Makes printerCount() (settings/Environment.h) ask the system's printer list.
void installSystemPrinterCounter();

} // namespace velmora
