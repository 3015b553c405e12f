#pragma once
// Date helpers of the exports: the first day of a month or year, and the
// number of calendar months between two dates.

#include "runtime/variant.h"

namespace zelk {

// The first day of the date's month; a time of day stays.
Date FirstOfMonth(Date d);
// 1 January of the date's year.
Date FirstOfYear(Date d);
// (year of To - year of From) * 12 + (month of To - month of From), the days
// ignored; negative when To lies in an earlier month. Null when either date
// is Null (a Long otherwise). A value that is no date raises error 13, one
// outside the platform's dates error 6.
Variant MonthsBetween(const Variant& FromDate, const Variant& ToDate);

}  // namespace zelk
