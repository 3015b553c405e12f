#include <gtest/gtest.h>

#include <tuple>

#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "runtime/variant.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::errorOf;

TEST(Dates, SerialsRoundTripAndKnownDays) {
    EXPECT_EQ(makeDate(1899, 12, 30).serial, 0);
    EXPECT_EQ(makeDate(1900, 1, 1).serial, 2);
    EXPECT_EQ(makeDate(2026, 12, 6).serial, 46362);
    EXPECT_EQ(makeDate(1899, 12, 29).serial, -1);
    const DateParts p = splitDate(makeDateTime({2024, 2, 29, 13, 5, 9}));
    EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second), std::tuple(2024, 2, 29, 13, 5, 9));
    EXPECT_EQ(makeDate(2026, 13, 1).serial, makeDate(2027, 1, 1).serial);  // month overflow carries
    EXPECT_EQ(makeDate(2026, 3, 0).serial, makeDate(2026, 2, 28).serial);  // day 0 is the day before
    EXPECT_EQ(weekday(makeDate(2026, 12, 6)), 1);                          // a Sunday
}

TEST(Dates, AddMonthsClampsToTheLastDayAndRoundsTheCount) {
    EXPECT_EQ(addMonths(makeDate(2026, 1, 31), 1).serial, makeDate(2026, 2, 28).serial);
    EXPECT_EQ(addMonths(makeDate(2024, 1, 31), 1).serial, makeDate(2024, 2, 29).serial);
    EXPECT_EQ(addMonths(makeDate(2026, 3, 31), -1).serial, makeDate(2026, 2, 28).serial);
    EXPECT_EQ(addMonths(makeDate(2026, 1, 15), -13).serial, makeDate(2024, 12, 15).serial);
    EXPECT_EQ(addMonths(makeDate(2026, 1, 15), 1.6).serial, makeDate(2026, 3, 15).serial);
    EXPECT_EQ(addMonths(makeDate(2026, 1, 15), 2.5).serial, makeDate(2026, 3, 15).serial);  // half to even
}

TEST(Dates, FormatCodesAndTypedAnswers) {
    const Date d = makeDateTime({2026, 12, 5, 9, 7, 3});
    EXPECT_EQ(formatDate(d, "DD-MM-YYYY"), "05-12-2026");
    EXPECT_EQ(formatDate(d, "D-MMM-YYYY"), "5-dec-2026");
    EXPECT_EQ(formatDate(d, "h:mm:ss"), "9:07:03");
    EXPECT_EQ(shortDateText(d), "5-12-2026");
    EXPECT_EQ(timeText(d), "9:07:03");
    EXPECT_EQ(cdate("1-3-2026").serial, makeDate(2026, 3, 1).serial);
    EXPECT_EQ(cdate("01-03-2026").serial, makeDate(2026, 3, 1).serial);
    EXPECT_EQ(cdate(" 2026-03-01 ").serial, makeDate(2026, 3, 1).serial);
    for (const char* bad : {"", "31-02-2026", "2026-3", "1-3-26", "morgen", "1-3-2026x", "1-3/2026", "0-1-2026"})
        EXPECT_EQ(errorOf([&] { cdate(bad); }), 13) << bad;
}

TEST(Variant, ConversionsFollowTheRuntime) {
    EXPECT_EQ(Variant(2.5).toLong(), 2);
    EXPECT_EQ(Variant(3.5).toLong(), 4);
    EXPECT_EQ(Variant("12").toLong(), 12);
    EXPECT_EQ(Variant("1,5").toDouble(), 1.5);
    EXPECT_EQ(Variant().toDouble(), 0);
    EXPECT_EQ(Variant(true).toLong(), -1);
    EXPECT_EQ(errorOf([] { Variant::null().toDouble(); }), 94);
    EXPECT_EQ(errorOf([] { Variant("abc").toLong(); }), 13);
    EXPECT_EQ(errorOf([] { Variant(40000.0).toInteger(); }), 6);
    EXPECT_EQ(Variant(1.005).toCurrency().scaled, 10050);
    EXPECT_EQ(Variant(Currency{35000}).toString(), "3,5");
    EXPECT_EQ(Variant(Currency{-12345678}).toString(), "-1234,5678");
    EXPECT_EQ(Variant(171.42857142857144).toString(), "171,428571428571");
    EXPECT_EQ(Variant(true).toString(), "Waar");
    EXPECT_EQ(Variant(makeDate(2026, 1, 1)).toString(), "1-1-2026");
    EXPECT_EQ(Variant("1-1-2026").toDate().serial, makeDate(2026, 1, 1).serial);
    EXPECT_EQ(displayText(Variant::null()), "");
}

TEST(Variant, ComparisonRules) {
    EXPECT_EQ(compareVariants(Variant(-5), Variant(0)), -1);
    EXPECT_EQ(compareVariants(Variant(3), Variant(3.0)), 0);
    EXPECT_EQ(compareVariants(Variant("b"), Variant("a")), 1);
    EXPECT_EQ(compareVariants(Variant(5), Variant("a")), -1);  // a number sorts before a text
    EXPECT_EQ(compareVariants(Variant(makeDate(2026, 1, 2)), Variant(makeDate(2026, 1, 1))), 1);
    EXPECT_EQ(compareVariants(Variant(Currency{10000}), Variant(1)), 0);
    EXPECT_FALSE(compareVariants(Variant::null(), Variant(1)).has_value());
    EXPECT_FALSE(compareVariants(Variant(1), Variant::null()).has_value());
}
