#include "settings/ui/SystemPrinters.h"

#include "settings/Environment.h"

#include <QPrinterInfo>

namespace velmora {

int systemPrinterCount()
{
    return int(QPrinterInfo::availablePrinterNames().size());
}

void installSystemPrinterCounter()
{
    setPrinterCounter(&systemPrinterCount);
}

} // namespace velmora
