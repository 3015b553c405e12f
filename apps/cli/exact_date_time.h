#pragma once
// The --now argument: a date and time written exactly as
// YYYY-MM-DDTHH:MM:SS, nothing before or after it, and a day that exists.

#include <optional>
#include <string>

#include "runtime/dates.h"

namespace zelk::cli {

std::optional<DateParts> parseExactDateTime(const std::string& text);

}  // namespace zelk::cli
