// The byte-level decoders of the Access reader: texts, dates, numbers, the
// page-0 header with its password, and stored queries put back together.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "access_test_util.h"
#include "database/access/access_header.h"
#include "database/access/access_queries.h"
#include "database/access/access_text.h"
#include "database/access/access_values.h"
#include "runtime/variant.h"

using namespace zelk::access;
using access_test::fixture;

namespace {

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

std::vector<std::uint8_t> fileStart(const std::string& path, std::size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(n);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::array<std::uint8_t, 17> numeric(bool negative, std::array<std::uint32_t, 4> words) {
    std::array<std::uint8_t, 17> out{};
    out[0] = negative ? 0x80 : 0;
    for (std::size_t w = 0; w < 4; ++w)
        for (std::size_t b = 0; b < 4; ++b) out[1 + 4 * w + b] = static_cast<std::uint8_t>(words[w] >> (8 * b));
    return out;
}

}  // namespace

TEST(AccessText, Jet4CompressedAndPlainUtf16AndJet3CodePage) {
    // Compressed: one-byte run, zero switches to two-byte run (the euro sign), zero switches back.
    auto compressed = bytesOf({0xFF, 0xFE, 'a', 'b', 0x00, 0xAC, 0x20, 0x00, 0xE9});
    EXPECT_EQ(decodeJet4Text(compressed.data(), compressed.size()), "ab\u20AC\u00E9");
    // Plain UTF-16LE with a surrogate pair (U+1F600) and an odd trailing byte.
    auto plain = bytesOf({'O', 0, 'K', 0, 0x3D, 0xD8, 0x00, 0xDE, 'x'});
    EXPECT_EQ(decodeJet4Text(plain.data(), plain.size()), "OK\U0001F600");
    auto lone = bytesOf({0x00, 0xD8, 'z', 0});
    EXPECT_EQ(decodeJet4Text(lone.data(), lone.size()), "\uFFFDz");
    auto empty = bytesOf({0xFF, 0xFE});
    EXPECT_EQ(decodeJet4Text(empty.data(), empty.size()), "");
    auto jet3 = bytesOf({'c', 'a', 'f', 0xE9, ' ', 0x80, 0x9F});
    EXPECT_EQ(decodeJet3Text(jet3.data(), jet3.size()), "caf\u00E9 \u20AC\u0178");

    EXPECT_EQ(utf8ToUtf16("W\u00E9b\u20AC\U0001F600"), u"W\u00E9b\u20AC\U0001F600");
    EXPECT_EQ(utf8ToUtf16("a\xC3"), u"a\uFFFD");                    // cut short
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(utf16ToUtf8(u"\u00E9\U0001F600"), "\u00E9\U0001F600");
}

TEST(AccessValues, DateSerialsBecomeIsoText) {
    EXPECT_EQ(jetDateText(27293.0), "1974-09-21");
    EXPECT_EQ(jetDateText(27293.5), "1974-09-21 12:00:00");
    EXPECT_EQ(jetDateText(0.75), "18:00:00");  // a time without a date
    EXPECT_EQ(jetDateText(0.0), "1899-12-30");
    EXPECT_EQ(jetDateText(-1.25), "1899-12-29 06:00:00");  // the time counts forward from midnight
    EXPECT_EQ(jetDateText(2.0), "1900-01-01");
    EXPECT_EQ(jetDateText(60.0), "1900-02-28");
    EXPECT_EQ(jetDateText(61.0), "1900-03-01");  // no 29 February 1900 in Jet serials
    EXPECT_EQ(jetDateText(43890.0), "2020-02-29");
    EXPECT_EQ(jetDateText(27293.0 + 86399.6 / 86400), "1974-09-22");  // rounds to the next midnight
    EXPECT_EQ(jetDateText(27293.0 + 1.4 / 86400), "1974-09-21 00:00:01");
    EXPECT_EQ(jetDateText(-657434.0), "0100-01-01");
    EXPECT_EQ(jetDateText(2958465.0), "9999-12-31");
    EXPECT_EQ(jetDateText(2958465.9999999), "9999-12-31 23:59:59");  // does not round into year 10000
    EXPECT_FALSE(jetDateText(-657435.0));
    EXPECT_FALSE(jetDateText(2958466.0));
    EXPECT_FALSE(jetDateText(std::nan("")));
    EXPECT_FALSE(jetDateText(1e300));
}

TEST(AccessValues, CurrencyReadsBackExactlyThroughTheRuntime) {
    // Below 2^38 (about 275 thousand million) every amount reads back exactly.
    const std::int64_t limit = (std::int64_t{1} << 38) * 10000 - 1;
    for (std::int64_t scaled : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, std::int64_t{420000},
                                std::int64_t{35000}, std::int64_t{1234567891234}, limit, -limit}) {
        EXPECT_EQ(zelk::Currency::fromDouble(currencyToReal(scaled)).scaled, scaled) << scaled;
    }
    std::mt19937_64 random(20261206);
    std::uniform_int_distribution<std::int64_t> below(-limit, limit);
    for (int i = 0; i < 200000; ++i) {
        const std::int64_t scaled = below(random);
        ASSERT_EQ(zelk::Currency::fromDouble(currencyToReal(scaled)).scaled, scaled) << scaled;
    }
}

TEST(AccessValues, DecimalsAndReplicationIds) {
    auto one = numeric(false, {0, 0, 0, 1});
    EXPECT_EQ(jetNumericText(one.data(), 0), "1");
    EXPECT_EQ(jetNumericToReal(one.data(), 0), 1.0);
    auto minusOne = numeric(true, {0, 0, 0, 1});
    EXPECT_EQ(jetNumericText(minusOne.data(), 0), "-1");
    auto zero = numeric(true, {0, 0, 0, 0});
    EXPECT_EQ(jetNumericText(zero.data(), 2), "0.00");  // no "-0"
    auto cents = numeric(false, {0, 0, 0, 12345});
    EXPECT_EQ(jetNumericText(cents.data(), 2), "123.45");
    EXPECT_EQ(jetNumericText(cents.data(), 7), "0.0012345");
    EXPECT_DOUBLE_EQ(jetNumericToReal(cents.data(), 2), 123.45);
    auto big = numeric(false, {0, 1, 0, 0});  // 2^64
    EXPECT_EQ(jetNumericText(big.data(), 0), "18446744073709551616");
    auto max = numeric(true, {0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF});  // -(2^96 - 1), 28 digits
    EXPECT_EQ(jetNumericText(max.data(), 28), "-7.9228162514264337593543950335");

    auto guid = bytesOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    EXPECT_EQ(jetGuidText(guid.data()), "{03020100-0504-0706-0809-0A0B0C0D0E0F}");
}

TEST(AccessHeader, FormatAndPasswordOfTheFixtures) {
    ZELK_NEEDS_FIXTURES();
    struct Row {
        const char* file;
        bool jet3, ace, encrypted;
        std::u16string password;
    };
    for (const Row& row :
         {Row{"V2003_with-password.mdb", false, false, false, u"password"},
          Row{"V2000_with-password.mdb", false, false, false, u"password"},
          Row{"V2003_no-password.mdb", false, false, false, u""}, Row{"V1997-test.mdb", true, false, false, u""},
          Row{"V2010_with-password.accdb", false, true, true, u""},
          Row{"V2016-currency.accdb", false, true, false, u""}}) {
        SCOPED_TRACE(row.file);
        const auto header = readFileHeader(fixture(row.file));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->jet3, row.jet3);
        EXPECT_EQ(header->ace, row.ace);
        EXPECT_EQ(header->encrypted, row.encrypted);
        if (!row.encrypted) {
            EXPECT_EQ(header->password, row.password);
        }
    }
    const auto header = readFileHeader(fixture("V2003_with-password.mdb"));
    EXPECT_EQ(header->version, 1u);
    EXPECT_TRUE(passwordAccepted(*header, "password"));
    for (const char* wrong : {"", "Password", "PASSWORD", "passwor", "password ", "passwordx"})
        EXPECT_FALSE(passwordAccepted(*header, wrong)) << wrong;
    // A file without a password opens with any.
    EXPECT_TRUE(passwordAccepted(*readFileHeader(fixture("V2003_no-password.mdb")), "vastactiva"));
    EXPECT_FALSE(readFileHeader(fixture("README.md")));
    EXPECT_FALSE(readFileHeader(fixture("does-not-exist.mdb")));
}

TEST(AccessHeader, PasswordsWrittenIntoTheScrambledArea) {
    ZELK_NEEDS_FIXTURES();
    // The scrambling is an XOR stream, so XOR-ing a password into an empty
    // password field of the stored page yields a file with that password.
    auto jet3 = fileStart(fixture("V1997-test.mdb"), 2048);
    const std::string secret = "Geheim\x80";  // Windows-1252 euro sign
    for (std::size_t i = 0; i < secret.size(); ++i) jet3[0x42 + i] ^= static_cast<std::uint8_t>(secret[i]);
    auto header = parseFileHeader(jet3.data(), jet3.size());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->password, u"Geheim\u20AC");
    EXPECT_TRUE(passwordAccepted(*header, "Geheim\u20AC"));
    EXPECT_FALSE(passwordAccepted(*header, "geheim\u20AC"));

    auto jet4 = fileStart(fixture("V2003_no-password.mdb"), 4096);
    const std::u16string wide = u"W\u00E9b\u20AC!";
    for (std::size_t i = 0; i < wide.size(); ++i) {
        jet4[0x42 + 2 * i] ^= static_cast<std::uint8_t>(wide[i]);
        jet4[0x43 + 2 * i] ^= static_cast<std::uint8_t>(wide[i] >> 8);
    }
    header = parseFileHeader(jet4.data(), jet4.size());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->password, wide);
    EXPECT_TRUE(passwordAccepted(*header, "W\u00E9b\u20AC!"));
    // The mask depends on the creation date: another date, another password.
    jet4[0x72 + 6] ^= 0x01;
    header = parseFileHeader(jet4.data(), jet4.size());
    ASSERT_TRUE(header);
    EXPECT_NE(header->password, wide);

    // Signatures and short reads.
    auto page = fileStart(fixture("V2003_no-password.mdb"), 4096);
    EXPECT_TRUE(hasAccessSignature(page.data(), page.size()));
    EXPECT_FALSE(parseFileHeader(page.data(), 0x97));
    page[4] = 'X';
    EXPECT_FALSE(hasAccessSignature(page.data(), page.size()));
    EXPECT_FALSE(parseFileHeader(page.data(), page.size()));
}

namespace {

QueryRow row(int attribute, std::optional<long> flag, std::string name1 = "", std::string name2 = "",
             std::string expression = "") {
    QueryRow r;
    r.attribute = attribute;
    r.flag = flag;
    r.name1 = std::move(name1);
    r.name2 = std::move(name2);
    r.expression = std::move(expression);
    return r;
}

}  // namespace

TEST(AccessQueries, SelectQueriesAreRebuiltFromTheirRows) {
    // The rows of V2003-queries.mdb's SelectQuery, in stored order.
    std::vector<QueryRow> rows = {
        row(0, 0),
        row(255, std::nullopt),
        row(1, 1),
        row(3, 2),
        row(5, std::nullopt, "Table1"),
        row(5, std::nullopt, "Table2"),
        row(5, std::nullopt, "Table3"),
        row(6, 0, "", "", "Table1.*"),
        row(6, 0, "", "", "Table2.col1"),
        row(6, 0, "", "", "Table2.col2"),
        row(6, 0, "", "", "Table3.col3"),
        row(7, 2, "Table1", "Table3", "Table1.col1 = Table3.col1"),
        row(7, 1, "Table3", "Table2", "Table3.col1 = Table2.col1"),
        row(7, 1, "Table3", "Table2", "Table3.col1 = Table2.col2"),
        row(11, std::nullopt, "", "", "Table2.col1"),
        row(8, std::nullopt, "", "", "(((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))")};
    QuerySql sql = buildSelectQuery(rows);
    EXPECT_EQ(sql.problem, "");
    EXPECT_EQ(sql.sql,
              "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3 FROM (\"Table1\" LEFT JOIN \"Table3\" "
              "ON Table1.col1 = Table3.col1) INNER JOIN \"Table2\" ON (Table3.col1 = Table2.col1) AND (Table3.col1 = "
              "Table2.col2) WHERE (((Table2.col2)='foo' Or (Table2.col2) In ('buzz','bazz'))) ORDER BY Table2.col1");

    // Aliases, column names, grouping, descending order, a right join.
    rows = {row(1, 1),
            row(5, std::nullopt, "OB", "o"),
            row(5, std::nullopt, "OG", ""),
            row(6, 0, "Aantal", "", "Count(*)"),
            row(6, 0, "", "", "o.OGCODE"),
            row(7, 3, "o", "OG", "o.OGCODE = OG.OG_CODE"),
            row(9, 0, "", "", "o.OGCODE"),
            row(10, std::nullopt, "", "", "Count(*) > 1"),
            row(11, std::nullopt, "D", "", "o.OGCODE")};
    sql = buildSelectQuery(rows);
    EXPECT_EQ(sql.problem, "");
    EXPECT_EQ(sql.sql,
              "SELECT Count(*) AS \"Aantal\", o.OGCODE FROM \"OB\" AS \"o\" RIGHT JOIN \"OG\" ON o.OGCODE = OG.OG_CODE "
              "GROUP BY o.OGCODE HAVING Count(*) > 1 ORDER BY o.OGCODE DESC");

    // SELECT * and tables without a join.
    rows = {row(1, 1), row(3, 1), row(5, std::nullopt, "A"), row(5, std::nullopt, "B")};
    EXPECT_EQ(buildSelectQuery(rows).sql, "SELECT * FROM \"A\", \"B\"");
}

TEST(AccessQueries, QueriesSqliteWouldReadOtherwiseAreRefused) {
    const auto problemOf = [](std::vector<QueryRow> rows) { return buildSelectQuery(std::move(rows)).problem; };
    const QueryRow select = row(1, 1), table = row(5, std::nullopt, "T"), column = row(6, 0, "", "", "T.a");
    EXPECT_EQ(problemOf({row(1, 4), table, column, row(2, 10, "x")}), "het is een bijwerkquery");
    EXPECT_EQ(problemOf({table, column}), "het is een query van onbekende soort");
    EXPECT_EQ(problemOf({select, table, column, row(2, 10, "Naam")}), "de query heeft parameters");
    EXPECT_EQ(problemOf({select, row(3, 0x10, "5"), table, column}), "TOP wordt door SQLite anders uitgevoerd");
    EXPECT_EQ(problemOf({select, row(4, std::nullopt, "", "", "C:\\x.mdb"), table, column}),
              "de query leest uit een andere database");
    EXPECT_EQ(problemOf({select, table, column, row(8, std::nullopt, "", "", "T.a Like \"x*\"")}),
              "de tekst gebruikt Like met Access-jokertekens");
    EXPECT_EQ(problemOf({select, table, row(6, 0, "", "", "T.a & T.b")}),
              "de tekst bevat het Access-teken & voor samenvoegen");
    EXPECT_EQ(problemOf({select, table, column, row(8, std::nullopt, "", "", "T.d > #1/1/2020#")}),
              "de tekst bevat een Access-datum (#...#)");
    EXPECT_EQ(problemOf({select, table, column, row(7, 1, "T", "U", "T.a = U.a")}),
              "de joins van de query zijn niet als SQL te schrijven");
    EXPECT_EQ(problemOf({select, table, row(5, std::nullopt, "U"), column, row(7, 1, "T", "U", "T.a = U.a"),
                         row(7, 2, "U", "T", "U.b = T.b")}),
              "de joins van de query zijn niet als SQL te schrijven");

    std::string problem;
    EXPECT_EQ(translateExpression("x = \"a\"\"b\" Or y = 'it''s' Or [we\"ird] = Likeness", problem),
              "x = 'a\"b' Or y = 'it''s' Or [we\"ird] = Likeness");
    EXPECT_FALSE(translateExpression("x = \"open", problem));
    EXPECT_FALSE(translateExpression("[open = 1", problem));
    EXPECT_EQ(quoteIdentifier("a\"b"), "\"a\"\"b\"");
}
