#include <gtest/gtest.h>

#include "runtime/number_format.h"
#include "runtime/text.h"

using namespace zelk;

TEST(RuntimeText, Windows1252BothWaysAndCase) {
    EXPECT_EQ(utf8ToCp1252("beëindigd"), "be\xEBindigd");
    EXPECT_EQ(utf8ToCp1252("€ŠžŸ…"), "\x80\x8A\x9E\x9F\x85");
    EXPECT_EQ(utf8ToCp1252("ā漢😀"), "???");
    EXPECT_EQ(cp1252ToUtf8("be\xEBindigd \x80"), "beëindigd €");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);  // every byte survives, undefined ones too
    EXPECT_EQ(utf8ToU32("a\xFF"
                        "b\xC3"),
              U"a\uFFFDb\uFFFD");                       // broken bytes never stop a conversion
    EXPECT_EQ(utf8ToU32("\xC0\xAF"), U"\uFFFD\uFFFD");  // no overlong forms
    EXPECT_EQ(upperCase("één straße œ ÿ"), "ÉÉN STRAßE Œ Ÿ");
    EXPECT_EQ(lowerCase("ÉÉN ÀÖ Š"), "één àö š");
    EXPECT_EQ(trimBlanks("  a b \t"), "a b \t");  // blanks only
    EXPECT_EQ(charLength("één"), 3u);
}

TEST(RuntimeText, NumberFormatCodes) {
    EXPECT_EQ(formatNumber(123.45, "00000000"), "00000123");
    EXPECT_EQ(formatNumber(123.5, "0"), "124");
    EXPECT_EQ(formatNumber(-123.5, "0"), "-124");
    EXPECT_EQ(formatNumber(2.345, "0.00"), "2,35");  // half up on the decimal value
    EXPECT_EQ(formatNumber(1.005, "0.00"), "1,01");
    EXPECT_EQ(formatNumber(0.5, "#"), "1");
    EXPECT_EQ(formatNumber(0, "#"), "");
    EXPECT_EQ(formatNumber(0, "#.##"), ",");
    EXPECT_EQ(formatNumber(1234567.891, "#,##0.00"), "1.234.567,89");
    EXPECT_EQ(formatNumber(999.996, "#,##0.00"), "1.000,00");
    EXPECT_EQ(formatNumber(12, "#,##0"), "12");
    EXPECT_EQ(formatNumber(1.5, "0.0#"), "1,5");
    EXPECT_EQ(formatNumber(1.25, "0.0#"), "1,25");
    EXPECT_EQ(formatNumber(0.256, "0.0%"), "25,6%");
    EXPECT_EQ(formatNumber(1234567, "#,"), "1235");
    EXPECT_EQ(formatNumber(5, "\"EUR \"0"), "EUR 5");
    EXPECT_EQ(formatNumber(5, "0\\%"), "5%");
    EXPECT_EQ(formatNumber(123456, "00-00"), "1234-56");
    EXPECT_EQ(formatNumber(-5, "0;(0)"), "(5)");
    EXPECT_EQ(formatNumber(0, "0;(0);\"nul\""), "nul");
    EXPECT_EQ(formatNumber(-0.001, "0.00"), "0,00");
    EXPECT_EQ(formatNumber(1e20, "0"), "100000000000000000000");
    EXPECT_EQ(formatNumber(2.5, ""), "2,5");
}

TEST(RuntimeText, ValReadsTheLeadingNumber) {
    EXPECT_EQ(val("50%"), 50);
    EXPECT_EQ(val(" 12.5 cm"), 12.5);
    EXPECT_EQ(val("1 2 3"), 123);
    EXPECT_EQ(val("-7e2x"), -700);
    EXPECT_EQ(val("&H1F"), 31);
    EXPECT_EQ(val("abc"), 0);
    EXPECT_EQ(val(""), 0);
    EXPECT_EQ(val("12,5"), 12);
    EXPECT_EQ(val("1e999"), 0);
}

TEST(RuntimeText, ArbitraryInputNeverBreaksTheConverters) {
    // Random bytes and random format texts: every call returns, none throws.
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const std::string alphabet = "0#.,%;\\\"-+ E\xC3\xA9\xFF\x80";
    for (int i = 0; i < 3000; ++i) {
        std::string bytes, format;
        for (std::uint32_t k = next() % 24; k > 0; --k) bytes += static_cast<char>(next() & 0xFF);
        for (std::uint32_t k = next() % 12; k > 0; --k) format += alphabet[next() % alphabet.size()];
        const double value = (static_cast<double>(next()) - 8e6) / static_cast<double>(1 + next() % 1000);
        EXPECT_NO_THROW({
            utf8ToCp1252(bytes);
            cp1252ToUtf8(bytes);
            upperCase(bytes);
            val(bytes);
            formatNumber(value, format);
            formatNumber(value * 1e290, format);
        }) << format;
    }
}
