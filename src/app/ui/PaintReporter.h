#pragma once

class QWidget;

namespace velmora {

// Writes "shown" and a line end to standard output once the window has been
// painted for the first time. The start-up benchmark starts the program and
// waits for this line.
void reportWhenPainted(QWidget *window);

} // namespace velmora
