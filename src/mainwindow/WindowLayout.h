#pragma once

namespace velmora {

// The main window's sizes are given in twips; 15 twips make one pixel.
inline constexpr int kTwipsPerPixel = 15;
inline int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// The left column widens in steps with the window (widths in twips).
struct LeftColumnWidths {
    int frameWidth;  // fraQuickSearch and fraList
    int listWidth;   // txtQuickSearch and lvwMain
    int columnWidth; // each of the two list columns
    int detailsLeft; // left edge of fraDetails
    int aboutLeft;   // left edge of fraAbout
};

// The step for an inner window width in twips.
LeftColumnWidths leftColumnFor(int windowWidthTwips);

} // namespace velmora
