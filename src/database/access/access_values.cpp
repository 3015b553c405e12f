#include "database/access/access_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "runtime/calendar.h"

namespace zelk::access {

namespace {

constexpr double kMinSerial = static_cast<double>(kFirstSerialDay);     // 0100-01-01
constexpr double kMaxSerial = static_cast<double>(kLastSerialDay + 1);  // 10000-01-01

}  // namespace

std::optional<std::string> jetDateText(double serial) {
    if (!std::isfinite(serial) || serial < kMinSerial || serial >= kMaxSerial) return std::nullopt;
    double whole = std::trunc(serial);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(serial - whole) * 86400.0));
    std::int64_t days = static_cast<std::int64_t>(whole);
    if (seconds >= 86400) {
        // Rounding reached midnight: the next calendar day (a negative serial
        // counts its time forward too), except past the last day Jet knows.
        if (days + 1 < static_cast<std::int64_t>(kMaxSerial)) {
            seconds -= 86400;
            days += 1;
        } else {
            seconds = 86399;
        }
    }
    char buf[40];
    const int h = static_cast<int>(seconds / 3600), m = static_cast<int>(seconds / 60 % 60),
              s = static_cast<int>(seconds % 60);
    if (days == 0 && seconds != 0) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, s);
        return std::string(buf);
    }
    const std::chrono::year_month_day date = civilDateOf(days);
    const int year = static_cast<int>(date.year());
    const auto month = static_cast<unsigned>(date.month()), day = static_cast<unsigned>(date.day());
    if (seconds == 0) std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", year, month, day);
    else std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02d:%02d:%02d", year, month, day, h, m, s);
    return std::string(buf);
}

double currencyToReal(std::int64_t tenThousandths) { return static_cast<double>(tenThousandths) / 10000.0; }

std::string jetNumericText(const std::uint8_t* data17, int scale) {
    unsigned __int128 magnitude = 0;
    for (int word = 0; word < 4; ++word) {
        const std::uint8_t* p = data17 + 1 + 4 * word;
        const std::uint32_t w =
            std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
        magnitude = (magnitude << 32) | w;
    }
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale < 0) scale = 0;
    if (scale > 38) scale = 38;
    const auto s = static_cast<std::size_t>(scale);
    if (s > 0) {
        if (digits.size() <= s) digits.insert(0, s - digits.size() + 1, '0');
        digits.insert(digits.size() - s, 1, '.');
    }
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    if (data17[0] != 0 && !zero) digits.insert(digits.begin(), '-');
    return digits;
}

double jetNumericToReal(const std::uint8_t* data17, int scale) {
    // Via the exact decimal text, so the double is the correctly rounded one
    // (from_chars, as strtod would follow the user's decimal separator).
    const std::string text = jetNumericText(data17, scale);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string jetGuidText(const std::uint8_t* g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[3], g[2],
                  g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return std::string(buf);
}

}  // namespace zelk::access
