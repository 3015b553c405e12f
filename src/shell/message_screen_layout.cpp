#include "shell/message_screen_layout.h"

#include <cmath>

#include "shell/setting_numbers.h"

namespace zelk {

ChildPlace RepositionPlace(const Variant& requestedHeight, double innerHeight, double innerWidth) {
    double top = innerHeight * 0.5;
    double height = innerHeight * 0.5;
    if (requestedHeight.isString()) {
        const std::string& t = requestedHeight.str();
        if (t.find('%') != std::string::npos) {
            const double p = LeadingNumber(t);
            top = innerHeight * (100.0 - p) / 100.0;
            height = innerHeight * p / 100.0;
        }
    } else {
        double n = 0;
        try {
            n = requestedHeight.toDouble();
        } catch (...) {
            // A request that is no number keeps the default half.
            n = innerHeight * 0.5;
        }
        top = innerHeight - n;
        height = n;
    }
    ChildPlace place;
    place.top = static_cast<long>(std::floor(top));
    place.height = static_cast<long>(std::floor(height));
    place.left = 0;
    place.width = static_cast<long>(innerWidth - 10);
    return place;
}

ChildPlace MessageScreenLayout::Reposition(const Variant& requestedHeight, const Variant& position,
                                           double innerHeight, double innerWidth) {
    savedHeight_ = requestedHeight;
    savedPosition_ = position;
    lastState_ = WindowState::Normal;
    return RepositionPlace(requestedHeight, innerHeight, innerWidth);
}

std::optional<ChildPlace> MessageScreenLayout::Resized(WindowState now, double innerHeight, double innerWidth) {
    std::optional<ChildPlace> place;
    if (now == WindowState::Normal && !savedHeight_.isEmpty() && lastState_ == WindowState::Minimized)
        place = RepositionPlace(savedHeight_, innerHeight, innerWidth);
    lastState_ = now;
    return place;
}

}  // namespace zelk
