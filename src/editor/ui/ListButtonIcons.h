#pragma once

#include <QIcon>

namespace velmora {

// The small pictures on the buttons beside the editor's phone and e-mail
// lists, drawn by the program so they look the same on every desktop.
class ListButtonIcons {
public:
    enum class Picture { Add, Edit, Remove, Up, Down };
    static QIcon icon(Picture picture);
};

} // namespace velmora
