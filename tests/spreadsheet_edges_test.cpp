// Values at the edges of what a sheet holds: texts that look like the
// file's escapes or that XML cannot carry, long texts, dates before the
// sheet's first day, numbers below its smallest. Each must read back as the
// user would see it (also by openpyxl: tests/spreadsheet_readback.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "runtime/text.h"
#include "spreadsheet/cell_text.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/variant_array.h"
#include "spreadsheet/xlsx_writer.h"
#include "support/checks.h"
#include "support/test_files.h"

using namespace zelk;
using zelk::testing::errorOf;
using zelk::testing::ScratchDir;
namespace fs = std::filesystem;

namespace {

std::string cp1252Sample() {
    std::string bytes;
    for (int i = 0; bytes.size() < 320; ++i) bytes.push_back(static_cast<char>(0x20 + i % 224));
    return cp1252ToUtf8(bytes);
}

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Column A: what is written; the python read-back holds the same list.
struct TextCase {
    std::string written, readBack;
};
std::vector<TextCase> textCases() {
    using namespace std::string_literals;
    return {
        {"lit_x0041_eral", "lit_x0041_eral"},
        {"_x005f_ en _x005F_", "_x005f_ en _x005F_"},
        {"_xZZZZ_", "_xZZZZ_"},
        {"a\x01"
         "b\x1f"
         "c\td\ne\rf\x7f",
         "a\x01"
         "b\x1f"
         "c\td\ne\rf\x7f"},
        {"A\0Bouwgrond"s, "A\0Bouwgrond"s},
        {"A\xff"
         "B\xc3",
         "A\uFFFDB\uFFFD"},
        {"A\uFFFF\uFFFE", "A\uFFFF\uFFFE"},
        {repeated("é", 20000), repeated("é", 20000)},
        {cp1252Sample(), cp1252Sample()},
        {"\U0001F600_x0000_", "\U0001F600_x0000_"},
    };
}

struct DateCase {
    Date date;
    const char* plain;    // in a column of the default form
    const char* monthly;  // in a D-MMM-YYYY column
};
std::vector<DateCase> dateCases() {
    return {
        {makeDate(100, 1, 1), "1-1-100", "1-jan-100"},
        {makeDate(1850, 6, 1), "1-6-1850", "1-jun-1850"},
        {makeDate(1899, 12, 31), "31-12-1899", "31-dec-1899"},
        {makeDate(1900, 1, 1), nullptr, nullptr},
        {makeDate(1900, 2, 28), nullptr, nullptr},
        {makeDate(1900, 3, 1), nullptr, nullptr},
        {makeDate(9999, 12, 31), nullptr, nullptr},
    };
}

// Texts in A, dates in B (default form) and C (D-MMM-YYYY), a time of day
// in D, numbers in E.
Workbook& buildEdges(ExcelApplication& app) {
    Workbook& book = app.Workbooks().Add();
    long r = 1;
    for (const auto& t : textCases()) app.Cells(r++, 1).Value(Variant(t.written));
    r = 1;
    for (const auto& d : dateCases()) {
        app.Cells(r, 2).Value(Variant(d.date));
        app.Cells(r, 3).Value(Variant(d.date));
        ++r;
    }
    app.Columns("C:C").Select();
    app.Selection().NumberFormat("D-MMM-YYYY");
    app.Cells(1, 4).Value(Variant(makeTime(6, 30, 0)));
    app.Cells(1, 5).Value(Variant(1e-320));
    app.Cells(2, 5).Value(Variant(-2e-310));
    app.Cells(3, 5).Value(Variant(2.5e-308));
    return book;
}

struct EdgesFixture : ::testing::Test {
    ScriptedPlatform platform;
    ExcelInstances instances;
    std::shared_ptr<ExcelApplication> app = instances.start(platform);
    ScratchDir dir;
};

}  // namespace

TEST(CellText, EscapesWhatXmlCannotCarryAndLiteralEscapes) {
    EXPECT_EQ(escapeCellText("lit_x0041_eral"), "lit_x005F_x0041_eral");
    EXPECT_EQ(escapeCellText("_xZZZZ_ _x12_ x_"), "_xZZZZ_ _x12_ x_");
    EXPECT_EQ(escapeCellText(std::string("A\0B\r\x01\t\n", 7)), "A_x0000_B_x000D__x0001_\t\n");
    EXPECT_EQ(escapeCellText("\uFFFF\uFFFE\uFFFD"), "_xFFFF__xFFFE_\uFFFD");
    EXPECT_EQ(repairUtf8("ok \xc3\xa9"), "ok \xc3\xa9");
    // Overlong, surrogate, past U+10FFFF, cut short.
    EXPECT_EQ(repairUtf8("\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80|\xe2\x82"),
              "\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD");
    EXPECT_EQ(utf16Length("a\xc3\xa9\xe2\x82\xac\U0001F600"), 5u);
    for (const auto& t : textCases()) {
        const std::string valid = repairUtf8(t.written);
        EXPECT_EQ(unescapeCellText(escapeCellText(valid)), valid);
    }
    EXPECT_EQ(unescapeCellText("_xD83D__xDE00_ _xD83D_"), "\U0001F600 \uFFFD");
}

TEST_F(EdgesFixture, TextsReadBackAsWritten) {
    Workbook& book = buildEdges(*app);
    const fs::path file = dir.path() / "randen.xlsx";
    const SaveResult r = saveAs(book, file);
    ASSERT_TRUE(r) << r.error;
    const Worksheet& ws = *instances.start(platform)->Workbooks().Open(file.string()).sheets()[0];
    long row = 1;
    for (const auto& t : textCases()) {
        EXPECT_EQ(ws.value(row, 1), Variant(t.readBack)) << "row " << row;
        ++row;
    }
    // The limit counts UTF-16 code units, not bytes.
    EXPECT_EQ(errorOf([&] { app->Cells(20, 1).Value(Variant(repeated("é", 32767))); }), 0);
    EXPECT_EQ(errorOf([&] { app->Cells(20, 1).Value(Variant(repeated("é", 32768))); }), 1004);
    EXPECT_EQ(errorOf([&] { app->Cells(20, 1).Value(Variant(repeated("\U0001F600", 16384))); }), 1004);
    // Stored escaped, a text of 5000 NULs is past what the file holds in a cell.
    EXPECT_EQ(errorOf([&] { app->Cells(20, 1).Value(Variant(std::string(5000, '\0'))); }), 1004);
}

TEST_F(EdgesFixture, DatesAndNumbersReadBackAsTheUserSeesThem) {
    Workbook& book = buildEdges(*app);
    const fs::path file = dir.path() / "data.xlsx";
    ASSERT_TRUE(saveAs(book, file));
    const Worksheet& ws = *instances.start(platform)->Workbooks().Open(file.string()).sheets()[0];
    long row = 1;
    for (const auto& d : dateCases()) {
        if (d.plain) {
            EXPECT_EQ(ws.value(row, 2), Variant(d.plain)) << row;
            EXPECT_EQ(ws.value(row, 3), Variant(d.monthly)) << row;
        } else {
            EXPECT_EQ(ws.value(row, 2), Variant(d.date)) << row;
            EXPECT_EQ(ws.value(row, 3), Variant(d.date)) << row;
            EXPECT_EQ(ws.numberFormat(row, 3), "D-MMM-YYYY");
        }
        ++row;
    }
    EXPECT_NEAR(ws.value(1, 4).toDouble(), makeTime(6, 30, 0).serial, 1e-12);
    EXPECT_EQ(ws.value(1, 4).type(), VarType::Date);
    EXPECT_EQ(ws.value(1, 5), Variant(0.0));
    EXPECT_EQ(ws.value(2, 5), Variant(0.0));
    EXPECT_EQ(ws.value(3, 5), Variant(2.5e-308));
}

// Writes the edge workbook where the python read-back wants it
// (ZELK_READBACK_EDGES_XLSX), or to a temporary folder when run on its own.
TEST_F(EdgesFixture, ReadbackEdges) {
    const char* target = std::getenv("ZELK_READBACK_EDGES_XLSX");
    const fs::path file = target ? fs::path(target) : dir.path() / "edges.xlsx";
    const SaveResult r = saveAs(buildEdges(*app), file);
    ASSERT_TRUE(r) << r.error;
}
