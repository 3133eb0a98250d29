#include "mainwindow/SearchState.h"

namespace velmora {

SearchState &searchState()
{
    static SearchState state;
    return state;
}

} // namespace velmora
