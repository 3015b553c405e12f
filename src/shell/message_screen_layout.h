#pragma once
// Where the message screen sits inside the main window's client area. The
// requested height is a share ("100%") or a number of twips from the bottom;
// a message screen that comes back from minimized gets its last requested
// place again.

#include <optional>

#include "runtime/variant.h"

namespace zelk {

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct ChildPlace {
    long left = 0, top = 0, width = 0, height = 0;  // twips
    friend bool operator==(const ChildPlace&, const ChildPlace&) = default;
};

// The place for a requested height in a client area of `innerHeight` by
// `innerWidth` twips.
ChildPlace RepositionPlace(const Variant& requestedHeight, double innerHeight, double innerWidth);

class MessageScreenLayout {
public:
    // Remembers the request and returns the place to put the screen in; the
    // screen is then in the normal state.
    ChildPlace Reposition(const Variant& requestedHeight, const Variant& position, double innerHeight,
                          double innerWidth);
    // After the screen's own resize: the place to restore when it just came
    // back from minimized, else nothing.
    std::optional<ChildPlace> Resized(WindowState now, double innerHeight, double innerWidth);

    const Variant& SavedPosition() const { return savedPosition_; }

private:
    Variant savedHeight_;  // empty until the first Reposition
    Variant savedPosition_;
    WindowState lastState_ = WindowState::Normal;
};

}  // namespace zelk
