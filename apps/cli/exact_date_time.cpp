#include "exact_date_time.h"

#include <chrono>

namespace zelk::cli {
namespace {

bool digitsAt(const std::string& text, std::size_t from, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::optional<DateParts> parseExactDateTime(const std::string& text) {
    static constexpr char kPattern[] = "0000-00-00T00:00:00";
    if (text.size() != sizeof kPattern - 1) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (kPattern[i] != '0' && text[i] != kPattern[i]) return std::nullopt;
    DateParts p;
    if (!digitsAt(text, 0, 4, p.year) || !digitsAt(text, 5, 2, p.month) || !digitsAt(text, 8, 2, p.day) ||
        !digitsAt(text, 11, 2, p.hour) || !digitsAt(text, 14, 2, p.minute) || !digitsAt(text, 17, 2, p.second))
        return std::nullopt;
    // The sheets' dates start in the year 100.
    const std::chrono::year_month_day day{std::chrono::year(p.year), std::chrono::month(static_cast<unsigned>(p.month)),
                                          std::chrono::day(static_cast<unsigned>(p.day))};
    if (p.year < 100 || !day.ok() || p.hour > 23 || p.minute > 59 || p.second > 59) return std::nullopt;
    return p;
}

}  // namespace zelk::cli
