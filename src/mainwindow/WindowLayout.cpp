#include "mainwindow/WindowLayout.h"

namespace velmora {

LeftColumnWidths leftColumnFor(int w)
{
    if (w >= 12000 && w <= 12999)
        return {4215, 3975, 1860, 4440, 4560};
    if (w >= 13000 && w <= 13999)
        return {5215, 4975, 2360, 5440, 5560};
    if (w > 14000)
        return {6215, 5975, 2850, 6440, 6560};
    return {4095, 3855, 1800, 4320, 4440};
}

} // namespace velmora
