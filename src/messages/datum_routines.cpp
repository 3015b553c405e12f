#include "messages/datum_routines.h"

#include "runtime/dates.h"

namespace zelk {

Date FirstOfMonth(Date d) {
    // Day arithmetic on the serial, so the time of day is carried along.
    return Date{d.serial - (splitDate(d).day - 1)};
}

Date FirstOfYear(Date d) {
    const DateParts p = splitDate(d);
    return makeDate(p.year, 1, 1);
}

Variant MonthsBetween(const Variant& FromDate, const Variant& ToDate) {
    if (FromDate.isNull() || ToDate.isNull()) return Variant::null();
    const DateParts from = splitDate(FromDate.toDate());
    const DateParts to = splitDate(ToDate.toDate());
    return Variant(static_cast<std::int32_t>((to.year - from.year) * 12 + (to.month - from.month)));
}

}  // namespace zelk
