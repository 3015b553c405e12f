#pragma once
// Twips are the program's unit of place and size: 15 to a pixel.

#include <QRect>
#include <cmath>

#include "shell/window_placement.h"

namespace zelk {

constexpr int kTwipsPerPixel = 15;

inline int toPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
inline float toTwips(int pixels) { return static_cast<float>(pixels * kTwipsPerPixel); }
inline QRect toPixels(const TwipsRect& r) {
    return QRect(toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height));
}
// A rectangle by its edges, so that neighbouring rectangles meet exactly.
inline QRect edgesToPixels(long left, long top, long width, long height) {
    const auto px = [](long twips) { return toPixels(static_cast<double>(twips)); };
    const int l = px(left), t = px(top);
    return QRect(l, t, px(left + width) - l, px(top + height) - t);
}

}  // namespace zelk
