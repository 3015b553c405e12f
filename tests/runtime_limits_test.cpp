// Values at the ends of their types: Currency never wraps, dates stay within
// the years 100 to 9999, and numbers too large for a count overflow.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

#include "database/access/access_values.h"
#include "database/field_value.h"
#include "messages/datum_routines.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "runtime/variant.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::errorOf;

namespace {

constexpr Currency kMax{std::numeric_limits<std::int64_t>::max()};
constexpr Currency kMin{std::numeric_limits<std::int64_t>::min()};
constexpr Currency kTick{1};  // 0,0001

StoredValue integerValue(std::int64_t i) {
    StoredValue v;
    v.cls = StoredValue::Integer;
    v.i = i;
    return v;
}

StoredValue realValue(double r) {
    StoredValue v;
    v.cls = StoredValue::Real;
    v.r = r;
    return v;
}

}  // namespace

TEST(CurrencyLimits, SumsAndDifferencesReachBothEndsAndOverflowPastThem) {
    EXPECT_EQ((Currency{kMax.scaled - 1} + kTick), kMax);
    EXPECT_EQ((Currency{kMin.scaled + 1} - kTick), kMin);
    EXPECT_EQ(errorOf([] { return kMax + kTick; }), 6);
    EXPECT_EQ(errorOf([] { return kMin + Currency{-1}; }), 6);
    EXPECT_EQ(errorOf([] { return kMin - kTick; }), 6);
    EXPECT_EQ(errorOf([] { return kMax - Currency{-1}; }), 6);
    // A year-to-date figure between two histories of ±9e14.
    const Currency p = Currency::fromDouble(9e14), j = Currency::fromDouble(-9e14);
    EXPECT_EQ(errorOf([&] { return p - j; }), 6);
    EXPECT_EQ(p + j, Currency{});
    // The skip test's current value plus 999999.
    EXPECT_EQ(errorOf([] { return Currency::fromWhole(922337203000000) + Currency::fromWhole(999999); }), 6);
    EXPECT_EQ((Currency::fromWhole(922337202685478) + Currency::fromWhole(999999)).scaled, 9223372036854770000);
}

TEST(CurrencyLimits, ConversionsIntoCurrencyOverflowPastBothEnds) {
    EXPECT_EQ(Currency::fromWhole(922337203685477).scaled, 9223372036854770000);
    EXPECT_EQ(Currency::fromWhole(-922337203685477).scaled, -9223372036854770000);
    EXPECT_EQ(errorOf([] { Currency::fromWhole(922337203685478); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromWhole(-922337203685478); }), 6);

    EXPECT_EQ(Currency::fromDouble(9e14).scaled, 9000000000000000000);
    EXPECT_EQ(Currency::fromDouble(-922337203685477.5808), kMin);  // -2^63 is a double
    EXPECT_LT(Currency::fromDouble(922337203685477.0).scaled, kMax.scaled);
    EXPECT_EQ(errorOf([] { Currency::fromDouble(922337203685477.5807); }), 6);  // rounds to 2^63
    EXPECT_EQ(errorOf([] { Currency::fromDouble(922337203685478.0); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromDouble(-922337203685478.0); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromDouble(1e300); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromDouble(std::numeric_limits<double>::infinity()); }), 6);
    EXPECT_EQ(errorOf([] { Currency::fromDouble(std::nan("")); }), 6);

    EXPECT_EQ(errorOf([] { Variant(9.3e14).toCurrency(); }), 6);
    EXPECT_EQ(errorOf([] { Variant("-9,3e14").toCurrency(); }), 6);
    EXPECT_EQ(Variant(std::numeric_limits<std::int32_t>::min()).toCurrency().scaled, -21474836480000);

    // A stored amount (or a sum a query returns) read as Currency.
    EXPECT_EQ(fieldValue(FieldKind::Currency, integerValue(922337203685477)).currency().scaled, 9223372036854770000);
    EXPECT_EQ(errorOf([] { fieldValue(FieldKind::Currency, integerValue(922337203685478)); }), 6);
    EXPECT_EQ(errorOf([] { fieldValue(FieldKind::Currency, integerValue(std::numeric_limits<std::int64_t>::min())); }),
              6);
    EXPECT_EQ(errorOf([] { fieldValue(FieldKind::Currency, realValue(-1.8e15)); }), 6);
    EXPECT_EQ(fieldValue(FieldKind::Currency, realValue(-9e14)).currency(), Currency::fromDouble(-9e14));
}

TEST(DateLimits, TheFirstAndLastPlatformDaysRoundTrip) {
    const Date first = makeDate(100, 1, 1), last = makeDate(9999, 12, 31);
    EXPECT_EQ(first.serial, -657434);
    EXPECT_EQ(last.serial, 2958465);
    const DateParts a = splitDate(first), b = splitDate(makeDateTime({9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(std::tie(a.year, a.month, a.day), std::tuple(100, 1, 1));
    EXPECT_EQ(std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second), std::tuple(9999, 12, 31, 23, 59, 59));
    EXPECT_EQ(shortDateText(first), "1-1-100");
    EXPECT_EQ(formatDate(last, "D-MMM-YYYY"), "31-dec-9999");
    EXPECT_EQ(cdate("1-1-0100"), first);
    EXPECT_EQ(cdate("9999-12-31"), last);
    EXPECT_EQ(weekday(first), 6);  // a Friday
    EXPECT_EQ(weekday(last), 6);

    // The stored form both readers use.
    EXPECT_EQ(isoDateText(first), "0100-01-01");
    EXPECT_EQ(parseIsoDate("0100-01-01"), first);
    EXPECT_EQ(parseIsoDate("9999-12-31 23:59:59"), makeDateTime({9999, 12, 31, 23, 59, 59}));
    EXPECT_FALSE(parseIsoDate("9999-12-32").has_value());
    EXPECT_FALSE(parseIsoDate("0099-12-31").has_value());
    EXPECT_EQ(access::jetDateText(last.serial + 0.5), "9999-12-31 12:00:00");

    // A date serial past either end is an invalid argument; nothing overflows on the way.
    EXPECT_EQ(errorOf([] { makeDate(9999, 12, 32); }), 5);
    EXPECT_EQ(errorOf([] { makeDate(100, 1, 0); }), 5);
    EXPECT_EQ(errorOf([] { makeDate(10000, 1, 1); }), 5);
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    EXPECT_EQ(errorOf([&] { makeDate(big, big, big); }), 5);
    EXPECT_EQ(errorOf([&] { makeDate(2026, small, 1); }), 5);
    EXPECT_EQ(makeDate(10000, 0, 31), last);  // month 0 carries back into 9999
}

TEST(DateLimits, DateAdditionBeyondTheYearsAndCountsBeyondALong) {
    EXPECT_EQ(addMonths(makeDate(9999, 11, 30), 1), makeDate(9999, 12, 30));
    EXPECT_EQ(addMonths(makeDate(104, 2, 29), -48), makeDate(100, 2, 28));
    EXPECT_EQ(errorOf([] { addMonths(makeDate(9999, 12, 1), 1); }), 5);
    EXPECT_EQ(errorOf([] { addMonths(makeDate(100, 1, 31), -1); }), 5);
    // R = 0,01 %: (100 / R) * 12 months from 31 January 2010.
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), 100.0 / 0.01 * 12.0); }), 5);
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), 2147483647.0); }), 5);  // a Long, far too many
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), -2147483648.0); }), 5);
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), 2147483648.0); }), 6);  // no Long at all
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), 1e308); }), 6);
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), -1e308); }), 6);
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), std::numeric_limits<double>::infinity()); }), 6);
    EXPECT_EQ(errorOf([] { addMonths(makeDate(2010, 1, 31), std::nan("")); }), 6);
    EXPECT_EQ(errorOf([] { addMonths(Date{1e308}, 1); }), 6);

    const Variant first(makeDate(100, 1, 1)), last(makeDate(9999, 12, 31));
    EXPECT_EQ(MonthsBetween(first, last), Variant(std::int32_t{118799}));
    EXPECT_EQ(MonthsBetween(last, first), Variant(std::int32_t{-118799}));
    EXPECT_EQ(errorOf([&] { MonthsBetween(Variant(Date{1e308}), last); }), 6);
    EXPECT_EQ(errorOf([&] { MonthsBetween(first, Variant(Date{-1e308})); }), 6);
    EXPECT_EQ(errorOf([&] { MonthsBetween(first, Variant(1e308)); }), 6);
    EXPECT_EQ(errorOf([&] { MonthsBetween(Variant(Date{std::nan("")}), last); }), 6);
    EXPECT_EQ(errorOf([] { splitDate(Date{2958466.0}); }), 6);
    EXPECT_EQ(errorOf([] { weekday(Date{-1e308}); }), 6);
    EXPECT_EQ(displayText(Variant(Date{1e308})), "1E+308");  // a message line never fails
}
