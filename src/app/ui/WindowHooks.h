#pragma once

namespace velmora {

class MainWindow;

// Connects the main window's commands to the windows of the other parts
// (person editor, advanced search, reminder options, version check).
void installWindowHooks(MainWindow &window);

} // namespace velmora
