#pragma once
// Date serials (days from 30 December 1899, time as fraction) and the
// runtime's date functions the program uses.

#include <optional>
#include <string>

#include "runtime/variant.h"

namespace zelk {

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

// DateSerial: month and day may overflow into the next ones; error 5 when
// the date falls outside 1-1-100 .. 31-12-9999.
Date makeDate(int year, int month, int day);
Date makeDateTime(const DateParts& p);
Date makeTime(int hour, int minute, int second);
// Error 6 for a serial outside the platform's dates (NaN included).
DateParts splitDate(Date d);  // time rounded to the second
int weekday(Date d);          // 1 = Sunday .. 7 = Saturday

// DateAdd("m", months, d): a real count is rounded to whole months first and a
// day past the end of the target month becomes its last day. Error 6 when
// the count does not fit a Long, 5 when the result leaves the years 100..9999.
Date addMonths(Date d, double months);

// Format(d, codes): d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss, with
// "m" after an hour code meaning minutes; case does not matter. Other
// characters are copied. Month and day names are Dutch.
std::string formatDate(Date d, const std::string& codes);

// Short date "d-M-yyyy" and long time "H:mm:ss", as a Dutch desktop shows them.
std::string shortDateText(Date d);
std::string timeText(Date d);

// CDate of a typed answer: "d-m-yyyy", "dd-mm-yyyy" or "yyyy-mm-dd" (also with
// "/" or "."). Nothing else is a date.
std::optional<Date> parseDate(const std::string& text);
// As parseDate, but runtime error 13 when the text is not a date.
Date cdate(const std::string& text);

}  // namespace zelk
