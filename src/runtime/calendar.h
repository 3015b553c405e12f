#pragma once
// The platform's day serial (whole days from 30 December 1899) and the civil
// calendar behind it, on the standard library's calendar types. The platform
// holds dates from 1 January 100 to 31 December 9999.

#include <chrono>
#include <cstdint>

namespace zelk {

inline constexpr std::chrono::sys_days kSerialEpoch{std::chrono::year{1899} / 12 / 30};

constexpr std::int64_t serialDayOf(std::chrono::sys_days day) { return (day - kSerialEpoch).count(); }

inline constexpr std::int64_t kFirstSerialDay = serialDayOf(std::chrono::year{100} / 1 / 1);
inline constexpr std::int64_t kLastSerialDay = serialDayOf(std::chrono::year{9999} / 12 / 31);

// True for the serial of a day the platform can hold.
constexpr bool isPlatformDay(std::int64_t serialDay) {
    return serialDay >= kFirstSerialDay && serialDay <= kLastSerialDay;
}

// True for a Date serial (the fraction the time of day) on a platform day;
// false for NaN and infinities.
inline bool isPlatformSerial(double serial) {
    return serial > static_cast<double>(kFirstSerialDay - 1) && serial < static_cast<double>(kLastSerialDay + 1);
}

// The calendar date of a serial day; only for days within chrono's years
// (about -32767..32767), which every platform day is.
constexpr std::chrono::year_month_day civilDateOf(std::int64_t serialDay) {
    return std::chrono::year_month_day{kSerialEpoch + std::chrono::days{serialDay}};
}

// Days in a month (1..12) of the proleptic Gregorian calendar.
constexpr int daysInMonth(int year, int month) {
    const std::chrono::year_month_day_last last{std::chrono::year{year} /
                                                std::chrono::month{static_cast<unsigned>(month)} / std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

}  // namespace zelk
