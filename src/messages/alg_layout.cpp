#include "messages/alg_layout.h"

#include <algorithm>
#include <cmath>

#include "runtime/number_format.h"
#include "runtime/runtime_error.h"

namespace zelk {
namespace {

long wholePart(double v) { return static_cast<long>(std::floor(v)); }

std::uint32_t colourOf(const Variant& v) {
    const std::int32_t c = v.toLong();
    if (c < 0 || c > 0xFFFFFF) throw RuntimeError(5);
    return static_cast<std::uint32_t>(c);
}

}  // namespace

AlgPlacement AlgLayout::Reposition(const Variant& RequestedHeight, const Variant& Position, bool ParmSetFocus,
                                   double innerHeight, double innerWidth) {
    SavedHeight = RequestedHeight;
    SavedPosition = Position;
    const double h = innerHeight;
    double top = h * 0.5, height = h * 0.5;
    if (RequestedHeight.isString()) {
        const std::string& t = RequestedHeight.str();
        if (t.find('%') != std::string::npos) {
            const double p = val(t);
            top = h * (100 - p) / 100;
            height = h * p / 100;
        }
    } else if (RequestedHeight.isNumeric() || RequestedHeight.isEmpty()) {
        const double n = RequestedHeight.toDouble();
        top = h - n;
        height = n;
    }
    AlgPlacement p;
    p.top = wholePart(top);
    // A window cannot be less than nothing high or wide.
    p.height = std::max(0L, wholePart(height));
    p.left = 0;
    p.width = std::max(0L, wholePart(innerWidth - 10));
    p.setFocus = ParmSetFocus;
    return p;
}

std::optional<AlgTextRect> AlgLayout::ArrangeAlgText(double innerWidth, double innerHeight, WindowState state,
                                                     double innerTop) {
    if (TextMargin == 0) TextMargin = static_cast<std::int16_t>(std::clamp(wholePart(innerWidth / 400), 0L, 32767L));
    if (state == WindowState::Minimized) return std::nullopt;
    AlgTextRect r;
    r.top = wholePart(innerTop) + TextMargin;
    r.left = TextMargin;
    r.width = std::max(0L, wholePart(innerWidth) - 2L * TextMargin);
    r.height = std::max(0L, wholePart(innerHeight) - 2L * TextMargin);
    return r;
}

AlgLayout::ResizeResult AlgLayout::Resize(WindowState state, double mainInnerHeight, double mainInnerWidth,
                                          double innerWidth, double innerHeight) {
    ResizeResult r;
    if (state == WindowState::Normal && !SavedHeight.isEmpty() && LastWindowState == WindowState::Minimized)
        r.placement = Reposition(Variant(SavedHeight), Variant(SavedPosition), false, mainInnerHeight, mainInnerWidth);
    r.text = ArrangeAlgText(innerWidth, innerHeight, state);
    LastWindowState = state;
    return r;
}

void AlgLayout::SetBackColor(const Variant& BackColorText, const Variant& BackColorMain, const Variant& ExtMarge) {
    // Convert everything before changing anything, so a bad value leaves the
    // look as it was.
    const std::int16_t margin = ExtMarge.isEmpty() ? 0 : ExtMarge.toInteger();
    const std::uint32_t main = colourOf(BackColorMain);
    const std::uint32_t text = colourOf(BackColorText);
    TextMargin = std::max<std::int16_t>(0, margin);
    MainBackColor = main;
    TextBackColor = text;
}

}  // namespace zelk
