// The workbook model: sheets, cells, formats and widths as the exports set them.
#include <gtest/gtest.h>

#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/cell_address.h"
#include "spreadsheet/cell_format.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/variant_array.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::errorOf;

namespace {

Variant n(std::int32_t i) { return Variant(i); }

struct ModelFixture : ::testing::Test {
    ScriptedPlatform platform;
    ExcelInstances instances;
    std::shared_ptr<ExcelApplication> app = instances.start(platform);

    std::vector<std::string> sheetNames() {
        std::vector<std::string> out;
        for (const auto& ws : app->ActiveWorkbook().sheets()) out.push_back(ws->Name());
        return out;
    }
};

}  // namespace

TEST(SpreadsheetAddresses, ColumnsAndRanges) {
    EXPECT_EQ(columnLetters(1), "A");
    EXPECT_EQ(columnLetters(50), "AX");
    EXPECT_EQ(columnLetters(92), "CN");
    EXPECT_EQ(columnLetters(16384), "XFD");
    EXPECT_EQ(columnNumber("cn"), 92);
    EXPECT_FALSE(columnNumber("XFE"));
    EXPECT_EQ(parseArea("A1:BA4"), (Area{1, 1, 4, 53}));
    EXPECT_EQ(parseArea("$L$2"), (Area{2, 12, 2, 12}));
    EXPECT_EQ(parseArea("AO:BA"), (Area{1, 41, kMaxRows, 53}));
    EXPECT_EQ(parseArea("E"), (Area{1, 5, kMaxRows, 5}));
    EXPECT_EQ(parseArea("8:9"), (Area{8, 1, 9, kMaxColumns}));
    EXPECT_EQ(parseArea("B4:A1"), (Area{1, 1, 4, 2}));
    for (const char* bad : {"", "A0", "1A", "A1:", "A1:B", "XFE1", "A1048577", "A$", "A1:B2:C3"})
        EXPECT_FALSE(parseArea(bad)) << bad;
    EXPECT_EQ(areaAddress(Area{1, 1, 5, 92}), "A1:CN5");
}

TEST(SpreadsheetArrays, BoundsAndIndexing) {
    VariantArray a(0, 4, 1, 92);
    a(4, 92) = Variant("laatste");
    EXPECT_EQ(a.elements().back(), Variant("laatste"));
    EXPECT_EQ(errorOf([&] { a(5, 1); }), 9);
    EXPECT_EQ(errorOf([&] { a(1); }), 9);
    EXPECT_EQ(errorOf([&] { a.lbound(3); }), 9);
    VariantArray r(1, 60);
    EXPECT_EQ(errorOf([&] { r.ubound(2); }), 9);
    EXPECT_TRUE(r(60).isEmpty());
}

TEST_F(ModelFixture, DeletingSheetsAsksUnlessAlertsAreOff) {
    app->Workbooks().Add();
    app->Sheets()(n(2)).Select();
    platform.msgBoxAnswers = {vbCancel, vbOK};
    EXPECT_FALSE(app->ActiveWindow().SelectedSheets().Delete());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Blad1", "Blad2", "Blad3"}));
    EXPECT_TRUE(app->ActiveWindow().SelectedSheets().Delete());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Blad1", "Blad3"}));
    ASSERT_EQ(platform.asked.size(), 2u);
    EXPECT_EQ(platform.asked[0].style & 7, vbOKCancel);
    EXPECT_EQ(app->ActiveSheet().Name(), "Blad3");  // the next sheet becomes active

    // The last sheet cannot go; a deleted sheet cannot be used any more.
    app->DisplayAlerts(false);
    Worksheet& last = app->Sheets()(n(2));
    app->Sheets()(n(1)).Select();
    app->ActiveWindow().SelectedSheets().Delete();
    EXPECT_EQ(errorOf([&] { app->ActiveWindow().SelectedSheets().Delete(); }), 1004);
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Blad3"}));
    EXPECT_EQ(platform.asked.size(), 2u);  // alerts off: not asked
    EXPECT_EQ(&last, &app->ActiveSheet());
    EXPECT_EQ(errorOf([&] { app->Sheets()(n(2)); }), 9);
}

TEST_F(ModelFixture, SheetNamesFollowTheApplicationsRules) {
    app->Workbooks().Add();
    Worksheet& ws = app->Sheets()(n(1));
    for (const char* bad :
         {"", "a:b", "a/b", "a\\b", "a?", "a*", "[a]", "'a", "a'", "BLAD2", "1234567890123456789012345678901x"})
        EXPECT_EQ(errorOf([&] { ws.Name(bad); }), 1004) << bad;
    ws.Name("ZELK-Extract-2");
    ws.Name("zelk-extract-2");  // its own name in other letters is fine
    ws.Name("Één blad met 31 tekens precies!");
    EXPECT_EQ(app->Sheets()(Variant("Één BLAD MET 31 TEKENS PRECIES!")).Name(), "Één blad met 31 tekens precies!");
}

TEST_F(ModelFixture, CellValuesKeepTheirKind) {
    app->Workbooks().Add();
    // Each value written and the value its cell then holds.
    const std::pair<Variant, Variant> cells[] = {{"'01", "01"},
                                                 {"=1+2", "=1+2"},
                                                 {"", {}},
                                                 {Variant::null(), {}},
                                                 {0.1f, 0.1},
                                                 {Currency{12345678}, Currency{12345678}},
                                                 {makeDate(2026, 12, 6), makeDate(2026, 12, 6)},
                                                 {makeTime(10, 15, 3), makeTime(10, 15, 3)},
                                                 {true, true},
                                                 {"'", {}}};
    VariantArray v(1, 10);
    for (long c = 1; c <= 10; ++c) v(c) = cells[c - 1].first;
    app->Range("A1:J1").Value(v);
    Worksheet& ws = app->ActiveSheet();
    for (long c = 1; c <= 10; ++c) EXPECT_EQ(ws.value(1, c), cells[c - 1].second) << c;
    EXPECT_EQ(ws.numberFormat(1, 6), "#,##0.00");
    EXPECT_EQ(ws.numberFormat(1, 7), "d-m-yyyy");
    EXPECT_EQ(ws.numberFormat(1, 8), "h:mm:ss");

    // A block that does not fit, or holds a value no cell takes, changes nothing.
    VariantArray wrong(1, 2, 1, 3);
    EXPECT_EQ(errorOf([&] { app->Range("A1:B2").Value(wrong); }), 1004);
    VariantArray bad(1, 2);
    bad(1) = Variant("vervangen?");
    bad(2) = Variant(std::string(40000, 'x'));
    EXPECT_EQ(errorOf([&] { app->Range("A1:B1").Value(bad); }), 1004);
    EXPECT_EQ(ws.value(1, 1), Variant("01"));
    EXPECT_EQ(errorOf([&] { app->Cells(0, 1); }), 1004);
    EXPECT_EQ(errorOf([&] { app->Cells(1, 16385); }), 1004);
    EXPECT_EQ(errorOf([&] { app->Range("A0"); }), 1004);
    EXPECT_EQ(errorOf([&] { app->Selection().Areas(2); }), 1004);
}

TEST_F(ModelFixture, BoldAndNumberFormatsOnRangesAndColumns) {
    app->Workbooks().Add();
    Worksheet& ws = app->ActiveSheet();
    VariantArray r(1, 5);
    for (long i = 1; i <= 5; ++i) r(i) = Variant(1234.5 * static_cast<double>(i));
    app->Range("A8:E8").Value(r);

    app->Range("A1:BA4").Select();
    app->Selection().Font().FontStyle("Vet");
    EXPECT_TRUE(ws.bold(1, 1));
    EXPECT_TRUE(ws.bold(4, 53));  // empty cells of the range too
    EXPECT_FALSE(ws.bold(4, 54));
    EXPECT_FALSE(ws.bold(5, 1));
    EXPECT_EQ(errorOf([&] { app->Selection().Font().FontStyle("Cursief"); }), 1004);

    app->Range("L2").Select();
    app->Selection().NumberFormat("h:mm:ss");
    EXPECT_EQ(ws.numberFormat(2, 12), "h:mm:ss");
    EXPECT_EQ(ws.numberFormat(3, 12), "");

    // A whole column: cells there now and cells written later.
    app->Columns("E:E").Select();
    app->Selection().NumberFormat("##0_-");
    EXPECT_EQ(ws.numberFormat(8, 5), "##0_-");
    EXPECT_EQ(ws.displayText(*ws.find(8, 5)), "6173 ");
    app->Range("E9").Value(Variant(2.5));
    EXPECT_EQ(ws.numberFormat(9, 5), "##0_-");
    EXPECT_EQ(ws.numberFormat(9, 4), "");
    // Selecting a range of another sheet fails.
    Worksheet& other = app->Sheets()(n(2));
    EXPECT_EQ(errorOf([&] { Range(app->ActiveWorkbook().sheetPtr(other), Area{1, 1, 1, 1}).Select(); }), 1004);
}

TEST(SpreadsheetFormats, ShownTexts) {
    EXPECT_EQ(formatCellNumber(1234.5, "##0_-"), "1235 ");
    EXPECT_EQ(formatCellNumber(-1234.4, "##0_-"), "-1234 ");
    EXPECT_EQ(formatCellNumber(0.2, "##0_-"), "0 ");
    EXPECT_EQ(formatCellNumber(1234567.891, "#,##0.00"), "1.234.567,89");
    EXPECT_EQ(formatCellNumber(0.256, "0.0%"), "25,6%");
    EXPECT_EQ(formatCellNumber(-5, "0;(0)"), "(5)");
    EXPECT_EQ(formatCellNumber(813121, ""), "813121");
    EXPECT_EQ(formatCellNumber(171.42857142857144, ""), "171,4285714");
    EXPECT_TRUE(isDateFormat("D-MMM-YYYY"));
    EXPECT_TRUE(isDateFormat("[h]:mm:ss"));
    EXPECT_FALSE(isDateFormat("##0_-"));
    EXPECT_FALSE(isDateFormat("\"d\"0"));
    StringPool strings;
    Cell c;
    c.setNumber(makeDate(2026, 12, 5).serial, CellKind::Date);
    EXPECT_EQ(cellDisplayText(c, "D-MMM-YYYY", strings), "5-dec-2026");
    EXPECT_EQ(cellDisplayText(c, "", strings), "5-12-2026");
    c.setBoolean(false);
    EXPECT_EQ(cellDisplayText(c, "", strings), "ONWAAR");
    // Wider text, wider column; bold a little wider; the digits of the font are 7 pixels.
    EXPECT_LT(fittedColumnWidth("iiii", false), fittedColumnWidth("MMMM", false));
    EXPECT_LT(fittedColumnWidth("Description", false), fittedColumnWidth("Description", true));
    EXPECT_NEAR(fittedColumnWidth("12345678", false), 9.5, 0.5);
}

TEST_F(ModelFixture, ColumnWidthsAndAutoFit) {
    app->Workbooks().Add();
    Worksheet& ws = app->ActiveSheet();
    VariantArray head(1, 1, 1, 4);
    head(1, 1) = Variant("Kort");
    head(1, 3) = Variant("Een veel langere kop");
    head(1, 4) = Variant("");
    app->Range("A4:D4").Value(head);
    VariantArray data(1, 4);
    data(1) = Variant("Een heel lange omschrijving van een object");
    app->Range("A8:D8").Value(data);

    app->Columns("A:D").ColumnWidth(0);
    app->Columns("A:D").Select();
    app->Selection().Columns().AutoFit();
    EXPECT_NEAR(ws.columnWidth(1), fittedColumnWidth("Een heel lange omschrijving van een object", false), 1e-9);
    EXPECT_EQ(ws.columnWidth(2), 0);  // nothing to show: stays hidden
    EXPECT_GT(ws.columnWidth(3), ws.columnWidth(2));
    EXPECT_EQ(ws.columnWidth(4), 0);  // an empty text shows nothing
    EXPECT_EQ(ws.columnWidth(5), kStandardColumnWidth);

    // Auto-fit without a width first only widens columns with content.
    app->Columns("E:F").Select();
    app->Selection().Columns().AutoFit();
    EXPECT_EQ(ws.columnWidth(5), kStandardColumnWidth);

    EXPECT_EQ(errorOf([&] { app->Columns("A:B").ColumnWidth(256); }), 1004);
    EXPECT_EQ(errorOf([&] { app->Range("A1:B2").AutoFit(); }), 1004);
    EXPECT_EQ(errorOf([&] { app->Columns("A1:B2"); }), 1004);
}
