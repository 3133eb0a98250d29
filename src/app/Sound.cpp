#include "app/Sound.h"

#include "app/Launcher.h"
#include "app/Seams.h"

#include <QFileInfo>

namespace velmora {

void playSound(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    sound().play(path);
}

} // namespace velmora
