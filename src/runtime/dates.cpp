#include "runtime/dates.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "runtime/runtime_error.h"

namespace zelk {
namespace {

// Days from 1 January 1970 for a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr long daysFromCivil(long y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr long kEpochOffset = daysFromCivil(1899, 12, 30);

int daysInMonth(int y, int m) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
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
    int m0 = month - 1;
    int y = year + (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12));
    int m = ((m0 % 12) + 12) % 12 + 1;
    return Date{static_cast<double>(daysFromCivil(y, m, 1) - kEpochOffset + (day - 1))};
}

Date makeTime(int hour, int minute, int second) {
    return Date{(hour * 3600.0 + minute * 60.0 + second) / 86400.0};
}

Date makeDateTime(const DateParts& p) {
    const Date day = makeDate(p.year, p.month, p.day);
    const double t = makeTime(p.hour, p.minute, p.second).serial;
    // Before the epoch the time fraction counts away from zero, as the runtime stores it.
    return Date{day.serial < 0 ? day.serial - t : day.serial + t};
}

DateParts splitDate(Date d) {
    double whole = std::trunc(d.serial);
    double frac = std::fabs(d.serial - whole);
    long secs = std::lround(frac * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += d.serial < 0 ? -1 : 1;
    }
    DateParts p;
    civilFromDays(static_cast<long>(whole) + kEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

int weekday(Date d) {
    // 30 December 1899 was a Saturday (7).
    const long days = static_cast<long>(std::floor(d.serial));
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

Date addMonths(Date d, double months) {
    const long n = std::lrint(months);  // half to even, as the runtime rounds
    DateParts p = splitDate(d);
    long total = static_cast<long>(p.year) * 12 + (p.month - 1) + n;
    p.year = static_cast<int>(total >= 0 ? total / 12 : -((11 - total) / 12));
    p.month = static_cast<int>(total - static_cast<long>(p.year) * 12) + 1;
    if (p.day > daysInMonth(p.year, p.month)) p.day = daysInMonth(p.year, p.month);
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
            else if (n == 3) out += kDayShort[weekday(d) - 1];
            else out += kDayLong[weekday(d) - 1];
            break;
        case 'm':
            n = runOf('m');
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            } else if (n == 1) out += std::to_string(p.month);
            else if (n == 2) out += twoDigits(p.month);
            else if (n == 3) out += kMonthShort[p.month - 1];
            else out += kMonthLong[p.month - 1];
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
