#include "shell/window_placement.h"

#include <algorithm>
#include <cmath>

#include "runtime/number_format.h"
#include "shell/setting_numbers.h"

namespace zelk {

TwipsRect defaultPlacement(float screenWidth, float screenHeight) {
    TwipsRect r;
    r.height = screenHeight * 4.0f / 5.0f;
    r.width = screenWidth * 4.0f / 5.0f;
    r.left = (screenWidth - r.width) / 2.0f;
    r.top = (screenHeight - r.height) / 2.0f;
    return r;
}

TwipsRect storedPlacement(const SettingsStore& settings, const std::string& app, float screenWidth,
                          float screenHeight) {
    const TwipsRect d = defaultPlacement(screenWidth, screenHeight);
    auto read = [&](const char* key, float fallback) {
        return static_cast<float>(val(settings.value(app, "Main", key, strText(fallback))));
    };
    TwipsRect r;
    r.height = read("WindowHeight", d.height);
    r.width = read("WindowWidth", d.width);
    r.top = read("WindowTop", d.top);
    r.left = read("WindowLeft", d.left);
    return r;
}

TwipsRect fitToScreen(const TwipsRect& place, float screenWidth, float screenHeight) {
    const TwipsRect d = defaultPlacement(screenWidth, screenHeight);
    const auto fit = [](float v, float low, float high, float fallback) {
        if (!std::isfinite(v)) return fallback;
        return std::clamp(v, low, high);
    };
    TwipsRect r;
    r.width = fit(place.width, 0.0f, screenWidth, d.width);
    r.height = fit(place.height, 0.0f, screenHeight, d.height);
    r.left = fit(place.left, -screenWidth, 2.0f * screenWidth, d.left);
    r.top = fit(place.top, -screenHeight, 2.0f * screenHeight, d.top);
    return r;
}

void storePlacement(SettingsStore& settings, const std::string& app, const TwipsRect& place) {
    settings.set(app, "Main", "WindowTop", singleText(place.top));
    settings.set(app, "Main", "WindowLeft", singleText(place.left));
    settings.set(app, "Main", "WindowWidth", singleText(place.width));
    settings.set(app, "Main", "WindowHeight", singleText(place.height));
}

}  // namespace zelk
