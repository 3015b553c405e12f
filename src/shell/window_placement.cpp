#include "shell/window_placement.h"

#include "runtime/number_format.h"
#include "shell/setting_numbers.h"

namespace zelk {

TwipsRect DefaultPlacement(float screenWidth, float screenHeight) {
    TwipsRect r;
    r.height = screenHeight * 4.0f / 5.0f;
    r.width = screenWidth * 4.0f / 5.0f;
    r.left = (screenWidth - r.width) / 2.0f;
    r.top = (screenHeight - r.height) / 2.0f;
    return r;
}

TwipsRect StoredPlacement(const SettingsStore& settings, const std::string& app, float screenWidth,
                          float screenHeight) {
    const TwipsRect d = DefaultPlacement(screenWidth, screenHeight);
    auto read = [&](const char* key, float fallback) {
        return static_cast<float>(val(settings.value(app, "Main", key, StrText(fallback))));
    };
    TwipsRect r;
    r.height = read("WindowHeight", d.height);
    r.width = read("WindowWidth", d.width);
    r.top = read("WindowTop", d.top);
    r.left = read("WindowLeft", d.left);
    return r;
}

void StorePlacement(SettingsStore& settings, const std::string& app, const TwipsRect& place) {
    settings.set(app, "Main", "WindowTop", SingleText(place.top));
    settings.set(app, "Main", "WindowLeft", SingleText(place.left));
    settings.set(app, "Main", "WindowWidth", SingleText(place.width));
    settings.set(app, "Main", "WindowHeight", SingleText(place.height));
}

}  // namespace zelk
