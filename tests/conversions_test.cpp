#include <gtest/gtest.h>

#include "messages/alg.h"
#include "messages/conversions.h"
#include "platform/scripted_platform.h"
#include "runtime/runtime_error.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::errorOf;
using zelk::testing::errorText;

TEST(Conversions, FormatIbmBedragPunchesTheSignIntoTheLastDigit) {
    ScriptedPlatform p;
    EXPECT_EQ(FormatIbmBedrag(p, Variant(-123.45), "0000000+"), Variant("0000012L"));
    EXPECT_EQ(FormatIbmBedrag(p, Variant(123.0), "0000000+"), Variant("00000123"));
    EXPECT_EQ(FormatIbmBedrag(p, Variant(123.0), "0000000-"), Variant("0000012C"));
    EXPECT_EQ(FormatIbmBedrag(p, Variant(-120.0), "0000000-"), Variant("0000012}"));
    EXPECT_EQ(FormatIbmBedrag(p, Variant(0.0), "0000-"), Variant("0000{"));
    EXPECT_EQ(FormatIbmBedrag(p, Variant(Currency{-12345000}), "000000"), Variant("-001235"));  // plain, rounded
    EXPECT_EQ(FormatIbmBedrag(p, Variant(1234.5), "#,##0.00"), Variant("1.234,50"));
    EXPECT_TRUE(FormatIbmBedrag(p, Variant::null(), "0000+").isNull());
    EXPECT_TRUE(p.asked.empty());

    EXPECT_TRUE(FormatIbmBedrag(p, Variant(1.0), "0000X").isEmpty());
    EXPECT_TRUE(FormatIbmBedrag(p, Variant(1.0), "").isEmpty());
    EXPECT_EQ(p.msgBoxPrompts(), (std::vector<std::string>{"Systeemfout: Dit IBM formaat is onbekend",
                                                           "Systeemfout: Dit IBM formaat is onbekend"}));
    EXPECT_EQ(p.asked[0].style, vbCritical);
}

TEST(Conversions, ConvertIbmTekenReplacesOnlyADigit) {
    ScriptedPlatform p;
    EXPECT_EQ(ConvertIbmTeken(p, "1230", "+"), "123{");
    EXPECT_EQ(ConvertIbmTeken(p, "1230", "-"), "123}");
    EXPECT_EQ(ConvertIbmTeken(p, "9", "-"), "R");
    EXPECT_EQ(ConvertIbmTeken(p, "129", "+"), "12I");
    EXPECT_EQ(ConvertIbmTeken(p, "12A", "-"), "12A");
    EXPECT_EQ(ConvertIbmTeken(p, "", "+"), "");
    EXPECT_TRUE(p.asked.empty());
    EXPECT_EQ(ConvertIbmTeken(p, "125", "*"), "125");
    EXPECT_EQ(p.msgBoxPrompts(), std::vector<std::string>{"Systeemfout: Teken bij IBM conversie onbekend"});
}

TEST(Conversions, RoundAddsHalfAndTakesTheWholePartDownwards) {
    ScriptedPlatform p;
    EXPECT_EQ(Round(p, Variant(2.345), Variant(std::int16_t{2})), Variant(2.35));
    EXPECT_EQ(Round(p, Variant(-2.5), Variant(std::int16_t{0})), Variant(-2.0));
    EXPECT_EQ(Round(p, Variant(2.5), Variant(std::int16_t{0})), Variant(3.0));
    EXPECT_EQ(Round(p, Variant(1.005), Variant(std::int16_t{2})), Variant(1.0));  // 1.005 is just below in binary
    EXPECT_EQ(Round(p, Variant(-1.26), Variant(std::int16_t{1})), Variant(-1.3));
    EXPECT_EQ(Round(p, Variant(0.12345), Variant(std::int32_t{4})), Variant(0.1235));
    EXPECT_EQ(Round(p, Variant(7.0006), Variant(3.0)), Variant(7.001));
    EXPECT_EQ(Round(p, Variant("2,345"), Variant(std::int16_t{2})), Variant(2.35));
    EXPECT_TRUE(Round(p, Variant::null(), Variant(std::int16_t{2})).isNull());
    EXPECT_TRUE(p.asked.empty());

    EXPECT_EQ(Round(p, Variant(2.345), Variant(std::int16_t{5})), Variant(2.345));
    EXPECT_EQ(Round(p, Variant(2.345), Variant(1.5)), Variant(2.345));
    EXPECT_EQ(Round(p, Variant(2.345), Variant::null()), Variant(2.345));
    ASSERT_EQ(p.asked.size(), 3u);
    EXPECT_EQ(p.asked[0].prompt, "Afronden niet mogelijk");
    EXPECT_EQ(p.asked[0].title, kAppTitle);
    EXPECT_EQ(p.asked[0].style, 0);
    EXPECT_EQ(errorOf([&] { Round(p, Variant("veel"), Variant(std::int16_t{2})); }), 13);  // no number
}

TEST(Conversions, TransCheckBoxValueTranslatesBothWays) {
    EXPECT_EQ(TransCheckBoxValue(Variant(true)), Variant(std::int16_t{1}));
    EXPECT_EQ(TransCheckBoxValue(Variant(false)), Variant(std::int16_t{0}));
    EXPECT_EQ(TransCheckBoxValue(Variant(std::int16_t{1})), Variant(true));
    EXPECT_EQ(TransCheckBoxValue(Variant(0.0)), Variant(false));
    EXPECT_EQ(TransCheckBoxValue(Variant("1")), Variant(true));
    EXPECT_TRUE(TransCheckBoxValue(Variant(std::int16_t{2})).isEmpty());
    EXPECT_TRUE(TransCheckBoxValue(Variant("ja")).isEmpty());
    EXPECT_TRUE(TransCheckBoxValue(Variant::null()).isEmpty());
}

TEST(Conversions, PackedWholeNumbersRoundTrip) {
    EXPECT_EQ(MKI(258), std::string("\x02\x01", 2));
    EXPECT_EQ(CVI(MKI(258)), 258);
    EXPECT_EQ(MKL(0x41424344), "DCBA");
    for (std::int16_t v : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{-32768}, std::int16_t{32767},
                           std::int16_t{0x7F80}, std::int16_t{0x0081}})
        EXPECT_EQ(CVI(MKI(v)), v) << v;
    for (std::int32_t v : {0, -1, 2147483647, -2147483647 - 1, static_cast<std::int32_t>(0x9D8F8D81u), 123456789})
        EXPECT_EQ(CVL(MKL(v)), v) << v;
    EXPECT_EQ(MKI(-1), "ÿÿ");  // two characters, each byte FF in the code page
    EXPECT_EQ(CVI("€\x01"), 0x0180);
    for (const char* bad : {"", "a", "abc", "ÿÿÿ"})
        EXPECT_EQ(errorText([&] { CVI(bad); }), "13 Illegal function call (CVI)") << bad;
    EXPECT_EQ(errorText([] { CVL("abc"); }), "13 Illegal function call (CVL)");
}
