#pragma once
// Where the message screen stands in the main window and where its text
// area stands inside it. The arithmetic lives here so that any view (the Qt
// window, a test) gets the same numbers: it passes in its inner sizes in
// twips and its window state, and applies what comes back.

#include <cstdint>
#include <optional>

#include "runtime/variant.h"

namespace zelk {

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// The message screen's place inside the main window's inner area, in twips.
struct AlgPlacement {
    long top = 0;
    long left = 0;
    long height = 0;
    long width = 0;
    bool setFocus = false;  // give the message screen the input focus
    // Reposition always restores the window to its normal state.
    WindowState state = WindowState::Normal;
};

// The text area inside the message screen, in twips.
struct AlgTextRect {
    long top = 0;
    long left = 0;
    long width = 0;
    long height = 0;
};

class AlgLayout {
public:
    // RequestedHeight: a text "p%" (p of the main window's inner height) or a
    // number of twips. A text without "%", or a value that is no number,
    // gives half the inner height. Position is only remembered.
    AlgPlacement Reposition(const Variant& RequestedHeight, const Variant& Position, bool ParmSetFocus,
                            double innerHeight, double innerWidth);

    // The text area for the window's inner size; nothing while minimized.
    // The margin is worked out from the width the first time it is needed.
    std::optional<AlgTextRect> ArrangeAlgText(double innerWidth, double innerHeight, WindowState state,
                                              double innerTop = 0);

    // The window was resized (or its state changed). A window restored from
    // minimized gets the place of the last Reposition back.
    struct ResizeResult {
        std::optional<AlgPlacement> placement;
        std::optional<AlgTextRect> text;
    };
    ResizeResult Resize(WindowState state, double mainInnerHeight, double mainInnerWidth, double innerWidth,
                        double innerHeight);

    // The margin (twips; 0 or left out: worked out again at the next layout)
    // and the two background colours (red + 256 * green + 65536 * blue).
    void SetBackColor(const Variant& BackColorText, const Variant& BackColorMain, const Variant& ExtMarge = Variant());

    Variant SavedHeight;  // Empty until the first Reposition
    Variant SavedPosition;
    WindowState LastWindowState = WindowState::Normal;
    std::int16_t TextMargin = 0;
    std::optional<std::uint32_t> TextBackColor;  // unset: the view's default
    std::optional<std::uint32_t> MainBackColor;
};

}  // namespace zelk
