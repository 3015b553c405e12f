#include <gtest/gtest.h>

#include <tuple>

#include "messages/alg_func.h"
#include "messages/datum_routines.h"
#include "platform/settings_store.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::errorOf;

namespace {
const Variant kNull = Variant::null();
}  // namespace

TEST(AlgFunc, PadStringFillsAndCutsOnTheRightSide) {
    EXPECT_EQ(PadString(Variant(std::int32_t{123}), 6, "0", false, false), "000123");
    EXPECT_EQ(PadString(Variant(std::int32_t{1234567}), 6, "0", false, false), "234567");  // cut on the left
    EXPECT_EQ(PadString(Variant("ab"), 4, "*", true, true), "AB**");
    EXPECT_EQ(PadString(Variant("abcdef"), 4, "*", true, false), "abcd");  // cut on the right
    EXPECT_EQ(PadString(Variant("é"), 3, "xyz", false, true), "XXÉ");      // characters, not bytes
    EXPECT_EQ(PadString(kNull, 6, "0", false, false), "000000");
    EXPECT_EQ(PadString(Variant(), 2, "0", false, false), "00");
    EXPECT_EQ(PadString(Variant("abc"), 0, "0", false, false), "");
    EXPECT_EQ(errorOf([] { PadString(Variant("a"), 3, "", false, false); }), 5);
    EXPECT_EQ(errorOf([] { PadString(Variant("a"), -1, "0", false, false); }), 5);
}

TEST(AlgFunc, AfterLastAndUpToLastCutPaths) {
    EXPECT_EQ(AfterLast("C:\\data\\a.mdb", "\\", false), "a.mdb");
    EXPECT_EQ(UpToLast("C:\\data\\a.mdb", "\\", false), "C:\\data\\");
    EXPECT_EQ(UpToLast("C:\\data\\", "\\", true), "C:\\");
    EXPECT_EQ(UpToLast("a.mdb", "\\", false), "");
    EXPECT_EQ(AfterLast("a.mdb", "\\", false), "a.mdb");
    EXPECT_EQ(AfterLast("a.mdb", "\\", true), ".mdb");
    EXPECT_EQ(AfterLast("", "\\", true), "");
    EXPECT_EQ(UpToLast("", "\\", true), "");
    EXPECT_EQ(AfterLast("map/één/x", "/", false), "x");
    EXPECT_EQ(UpToLast("map/één/x", "/", false), "map/één/");
    // A longer separator: AfterLast stops one character into its last
    // occurrence, UpToLast never finds it.
    EXPECT_EQ(AfterLast("xabyab", "ab", false), "b");
    EXPECT_EQ(UpToLast("xabyab", "ab", false), "");
    EXPECT_EQ(AfterLast("abc", "", false), "");
}

TEST(AlgFunc, MaximumAndMinimumKeepTheEarlierAndSkipNull) {
    EXPECT_EQ(Maximum(Variant(std::int32_t{-5}), Variant(std::int16_t{0})), Variant(std::int16_t{0}));
    EXPECT_EQ(Maximum(Variant(std::int16_t{0}), Variant(-5.0)), Variant(std::int16_t{0}));
    EXPECT_EQ(Minimum(Variant(3.0), Variant(std::int32_t{3})), Variant(3.0));  // the first 3
    EXPECT_TRUE(Maximum(kNull, Variant(std::int32_t{4})).isNull());
    EXPECT_EQ(Maximum(Variant(std::int32_t{4}), kNull), Variant(std::int32_t{4}));
    EXPECT_EQ(Maximum(Variant(1.0), Variant(2.0), Variant(9.0), kNull, Variant(3.0)), Variant(9.0));
    EXPECT_EQ(Minimum(Variant(1.0), Variant(2.0), Variant(-9.0), Variant(-9)), Variant(-9.0));
    EXPECT_EQ(Maximum(Variant(Date{46000}), Variant(Date{46001})), Variant(Date{46001}));
    EXPECT_EQ(Maximum(Variant("abc"), Variant("abd")), Variant("abd"));
    EXPECT_EQ(Maximum(Variant(Currency{15000}), Variant(1.4)), Variant(Currency{15000}));
}

TEST(AlgFunc, GetSettingValueFallsBackAndStripsOneSuffix) {
    MemorySettings store;
    store.set("App", "Sec", "Blank", "   ");
    store.set("App", "Sec", "Dir", "/data/dir//");
    EXPECT_EQ(GetSettingValue(store, "App", "Sec", "Blank", "dflt", false, ""), "dflt");
    EXPECT_EQ(GetSettingValue(store, "App", "Sec", "Missing", "dflt/", true, "/"), "dflt");
    EXPECT_EQ(GetSettingValue(store, "App", "Sec", "Dir", "", true, "/"), "/data/dir/");
    EXPECT_EQ(GetSettingValue(store, "App", "Sec", "Dir", "", false, "/"), "/data/dir//");
    EXPECT_EQ(GetSettingValue(store, "App", "Sec", "Dir", "", true, "x"), "/data/dir//");
}

TEST(AlgFunc, FormatDatumGivesAFixedWidthOrTheDefault) {
    EXPECT_EQ(FormatDatum(Variant(makeDate(2026, 12, 5)), "DD-MM-YYYY", ""), "05-12-2026");
    EXPECT_EQ(FormatDatum(Variant(makeDate(2026, 5, 5)), "MMMM YY", ""), " mei 26");    // blanks in front
    EXPECT_EQ(FormatDatum(Variant(makeDate(2026, 12, 5)), "DDDD", ""), "rdag");         // zaterdag, cut left
    EXPECT_EQ(FormatDatum(Variant(makeDate(2026, 12, 5)), "d-m-yyyy", "").size(), 8u);  // "5-12-2026" cut left
    EXPECT_EQ(FormatDatum(Variant(makeDate(2026, 12, 5)), "d-m-yyyy", ""), "-12-2026");
    EXPECT_EQ(FormatDatum(kNull, "DD-MM-YYYY", "geen"), "geen");
    EXPECT_EQ(FormatDatum(Variant(), "DD-MM-YYYY", ""), "");
    EXPECT_EQ(FormatDatum(Variant(Date{0}), "DD-MM-YYYY", "x"), "x");
    EXPECT_EQ(FormatDatum(Variant(Date{-400}), "DD-MM-YYYY", "x"), "x");
    EXPECT_EQ(FormatDatum(Variant(" 1-3-2026"), "DD-MM-YYYY", ""), "01-03-2026");
    EXPECT_EQ(errorOf([] { FormatDatum(Variant("morgen"), "DD-MM-YYYY", ""); }), 13);
}

TEST(AlgFunc, NotNullReplacesOnlyMissingValues) {
    EXPECT_EQ(NotNull(Variant("  x  "), Variant("")), Variant("x"));
    EXPECT_EQ(NotNull(kNull, Variant(std::int16_t{0})), Variant(std::int16_t{0}));
    EXPECT_EQ(NotNull(Variant(), Variant("d")), Variant("d"));
    EXPECT_EQ(NotNull(Variant(std::int32_t{0}), Variant(std::int32_t{5})), Variant(std::int32_t{0}));
    EXPECT_EQ(NotNull(Variant(false), Variant(true)), Variant(false));
    EXPECT_EQ(NotNull(Variant(Date{100.5}), Variant()), Variant(Date{100.5}));
    EXPECT_EQ(NotNull(Variant("   "), Variant("d")), Variant(""));  // a blank text is a value
}

TEST(DatumRoutines, FirstDaysAndMonthsBetween) {
    const Date withTime = makeDateTime({2026, 12, 6, 14, 30, 0});
    const DateParts p = splitDate(FirstOfMonth(withTime));
    EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute), std::tuple(2026, 12, 1, 14, 30));  // the time stays
    EXPECT_EQ(FirstOfMonth(makeDate(2024, 2, 29)).serial, makeDate(2024, 2, 1).serial);
    EXPECT_EQ(FirstOfYear(withTime).serial, makeDate(2026, 1, 1).serial);
    EXPECT_EQ(FirstOfYear(makeDate(1850, 7, 4)).serial, makeDate(1850, 1, 1).serial);

    auto months = [](Date a, Date b) { return MonthsBetween(Variant(a), Variant(b)); };
    EXPECT_EQ(months(makeDate(2025, 12, 31), makeDate(2026, 1, 1)), Variant(std::int32_t{1}));
    EXPECT_EQ(months(makeDate(2026, 1, 31), makeDate(2026, 2, 1)), Variant(std::int32_t{1}));
    EXPECT_EQ(months(makeDate(2026, 1, 1), makeDate(2026, 1, 31)), Variant(std::int32_t{0}));
    EXPECT_EQ(months(makeDate(2026, 3, 15), makeDate(2024, 11, 1)), Variant(std::int32_t{-16}));
    EXPECT_EQ(months(makeDate(2000, 1, 1), makeDate(2026, 12, 6)), Variant(std::int32_t{323}));
    EXPECT_TRUE(MonthsBetween(kNull, Variant(makeDate(2026, 1, 1))).isNull());
    EXPECT_TRUE(MonthsBetween(Variant(makeDate(2026, 1, 1)), kNull).isNull());
    EXPECT_EQ(MonthsBetween(Variant("31-12-2025"), Variant("2026-02-01")), Variant(std::int32_t{2}));
    EXPECT_EQ(errorOf([] { MonthsBetween(Variant("gisteren"), Variant(Date{1})); }), 13);
}
