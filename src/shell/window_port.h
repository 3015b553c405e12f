#pragma once
// What the main window's logic needs from the window itself. The desktop
// program implements it with its widgets; the tests with a plain object.

#include <string>

#include "messages/alg_layout.h"
#include "shell/window_placement.h"

namespace zelk {

class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    // The whole screen in twips.
    virtual float ScreenWidth() const = 0;
    virtual float ScreenHeight() const = 0;

    virtual TwipsRect Placement() const = 0;
    virtual void setPlacement(const TwipsRect& place) = 0;
    virtual WindowState State() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual bool Visible() const = 0;

    // The message screen's first use: it shows in the client area, and with it
    // the main window.
    virtual void showMessageScreen() = 0;

    // The autorun timer: armed with an interval, or silent.
    virtual void armTimer(int intervalMs) = 0;
    virtual void disableTimer() = 0;

    // Closes every window except the main window and the message screen; the
    // dialogs' unload rules run.
    virtual void unloadDialogs() = 0;

    // While an export runs the commands that would start another one, or
    // open another database, are not offered.
    virtual void setExportRunning(bool running) = 0;
};

}  // namespace zelk
