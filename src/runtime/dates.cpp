#include "runtime/dates.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "runtime/calendar.h"
#include "runtime/runtime_error.h"

namespace zelk {
namespace {

// Floor division, so months before year 0 carry the way later ones do.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// A date the platform cannot hold is an invalid argument to its date functions.
Date platformDay(std::int64_t serialDay) {
    if (!isPlatformDay(serialDay)) throw RuntimeError(5);
    return Date{static_cast<double>(serialDay)};
}

// A Date that holds no platform date (only a bare serial can) overflows.
void requirePlatformSerial(double serial) {
    if (!isPlatformSerial(serial)) throw RuntimeError(6);
}

const std::array<const char*, 12> kMonthShort{"jan", "feb", "mrt", "apr", "mei", "jun",
                                              "jul", "aug", "sep", "okt", "nov", "dec"};
const std::array<const char*, 12> kMonthLong{"januari", "februari", "maart",     "april",   "mei",      "juni",
                                             "juli",    "augustus", "september", "oktober", "november", "december"};
const std::array<const char*, 7> kDayShort{"zo", "ma", "di", "wo", "do", "vr", "za"};
const std::array<const char*, 7> kDayLong{"zondag",    "maandag", "dinsdag", "woensdag",
                                          "donderdag", "vrijdag", "zaterdag"};

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

}  // namespace

Date makeDate(int year, int month, int day) {
    // Month overflow carries into the year, day overflow into later days, as DateSerial does.
    const std::int64_t m0 = std::int64_t{month} - 1;
    const std::int64_t y = year + floorDiv(m0, 12);
    const auto m = static_cast<unsigned>(m0 - floorDiv(m0, 12) * 12 + 1);
    // Beyond chrono's years no day offset an int can hold reaches a platform date.
    if (y < -32767 || y > 32767) throw RuntimeError(5);
    const std::chrono::year_month_day first{std::chrono::year{static_cast<int>(y)}, std::chrono::month{m},
                                            std::chrono::day{1}};
    return platformDay(serialDayOf(first) + (std::int64_t{day} - 1));
}

Date makeTime(int hour, int minute, int second) { return Date{(hour * 3600.0 + minute * 60.0 + second) / 86400.0}; }

Date makeDateTime(const DateParts& p) {
    const Date day = makeDate(p.year, p.month, p.day);
    const double t = makeTime(p.hour, p.minute, p.second).serial;
    // Before the epoch the time fraction counts away from zero, as the runtime stores it.
    return Date{day.serial < 0 ? day.serial - t : day.serial + t};
}

DateParts splitDate(Date d) {
    requirePlatformSerial(d.serial);
    double whole = std::trunc(d.serial);
    double frac = std::fabs(d.serial - whole);
    long secs = std::lround(frac * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += d.serial < 0 ? -1 : 1;
    }
    DateParts p;
    const std::chrono::year_month_day ymd = civilDateOf(static_cast<std::int64_t>(whole));
    p.year = static_cast<int>(ymd.year());
    p.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    p.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

int weekday(Date d) {
    requirePlatformSerial(d.serial);
    // 30 December 1899 was a Saturday (7).
    const auto days = static_cast<std::int64_t>(std::floor(d.serial));
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

Date addMonths(Date d, double months) {
    // The count reaches the platform as a Long, rounded half to even: a count
    // that does not fit overflows, a result outside the platform's years is
    // an invalid argument.
    const double n = std::nearbyint(months);
    if (!(n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max()))
        throw RuntimeError(6);
    DateParts p = splitDate(d);
    const std::int64_t total = std::int64_t{p.year} * 12 + (p.month - 1) + static_cast<std::int64_t>(n);
    const std::int64_t year = floorDiv(total, 12);
    if (year < 100 || year > 9999) throw RuntimeError(5);
    p.year = static_cast<int>(year);
    p.month = static_cast<int>(total - year * 12) + 1;
    p.day = std::min(p.day, daysInMonth(p.year, p.month));
    return makeDateTime(p);
}

std::string formatDate(Date d, const std::string& codes) {
    const DateParts p = splitDate(d);
    std::string out;
    bool afterHour = false;
    size_t i = 0;
    auto runOf = [&](char c) {
        size_t n = 0;
        while (i + n < codes.size() && std::tolower(static_cast<unsigned char>(codes[i + n])) == c) ++n;
        return n;
    };
    while (i < codes.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(codes[i])));
        size_t n = 0;
        switch (c) {
        case 'd':
            n = runOf('d');
            if (n == 1) out += std::to_string(p.day);
            else if (n == 2) out += twoDigits(p.day);
            else if (n == 3) out += kDayShort[static_cast<std::size_t>(weekday(d) - 1)];
            else out += kDayLong[static_cast<std::size_t>(weekday(d) - 1)];
            break;
        case 'm':
            n = runOf('m');
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            } else if (n == 1) out += std::to_string(p.month);
            else if (n == 2) out += twoDigits(p.month);
            else if (n == 3) out += kMonthShort[static_cast<std::size_t>(p.month - 1)];
            else out += kMonthLong[static_cast<std::size_t>(p.month - 1)];
            break;
        case 'y':
            n = runOf('y');
            if (n <= 2) out += twoDigits(p.year % 100);
            else out += std::to_string(p.year);
            break;
        case 'h':
            n = runOf('h');
            out += n == 1 ? std::to_string(p.hour) : twoDigits(p.hour);
            afterHour = true;
            i += n;
            continue;
        case 'n':
            n = runOf('n');
            out += n == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            break;
        case 's':
            n = runOf('s');
            out += n == 1 ? std::to_string(p.second) : twoDigits(p.second);
            break;
        default:
            out += codes[i];
            n = 1;
            i += n;
            continue;
        }
        afterHour = false;
        i += n;
    }
    return out;
}

std::string shortDateText(Date d) { return formatDate(d, "d-m-yyyy"); }
std::string timeText(Date d) { return formatDate(d, "h:nn:ss"); }

std::optional<Date> parseDate(const std::string& raw) {
    size_t b = raw.find_first_not_of(" \t");
    size_t e = raw.find_last_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    const std::string text = raw.substr(b, e - b + 1);
    std::array<int, 3> part{};
    std::array<size_t, 3> width{};
    size_t k = 0, pos = 0;
    char sep = 0;
    while (k < 3) {
        size_t start = pos;
        long v = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && pos - start < 4)
            v = v * 10 + (text[pos++] - '0');
        if (pos == start) return std::nullopt;
        part[k] = static_cast<int>(v);
        width[k] = pos - start;
        ++k;
        if (k == 3) break;
        if (pos >= text.size()) return std::nullopt;
        const char s = text[pos];
        if (s != '-' && s != '/' && s != '.') return std::nullopt;
        if (sep && s != sep) return std::nullopt;
        sep = s;
        ++pos;
    }
    if (pos != text.size()) return std::nullopt;
    int y, m, d;
    if (width[0] == 4 && width[1] <= 2 && width[2] <= 2) {
        y = part[0], m = part[1], d = part[2];
    } else if (width[0] <= 2 && width[1] <= 2 && width[2] == 4) {
        d = part[0], m = part[1], y = part[2];
    } else {
        return std::nullopt;
    }
    if (y < 100 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
    return makeDate(y, m, d);
}

Date cdate(const std::string& text) {
    if (auto d = parseDate(text)) return *d;
    throw RuntimeError(13);
}

}  // namespace zelk
