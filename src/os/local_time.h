#pragma once

#include <ctime>

namespace zelk::os {

// The calendar time `t` in the local time zone (thread-safe, unlike std::localtime).
std::tm localTime(std::time_t t);

}  // namespace zelk::os
