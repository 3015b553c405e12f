#pragma once
// The main window's size and place, kept in the settings in twips so that the
// next start shows the window where the user left it.

#include <string>

#include "platform/settings_store.h"

namespace zelk {

// Left, top, width and height in twips, in the window's single precision.
struct TwipsRect {
    float left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// 4/5 of the screen in each direction, centred.
TwipsRect defaultPlacement(float screenWidth, float screenHeight);

// The stored placement, each key falling back to the default placement. A
// damaged value reads as 0.
TwipsRect storedPlacement(const SettingsStore& settings, const std::string& app, float screenWidth, float screenHeight);

// A placement the screen can show: no larger than the screen, and no further
// from it than a screen's size, so that a second screen beside it still
// counts. A damaged setting (a window of a million pixels, an endless
// number) would otherwise ask for more memory than there is.
TwipsRect fitToScreen(const TwipsRect& place, float screenWidth, float screenHeight);

// Stores top, left, width and height, in that order.
void storePlacement(SettingsStore& settings, const std::string& app, const TwipsRect& place);

}  // namespace zelk
