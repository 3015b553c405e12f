// Starting the application, new workbooks and the block writers.
#include <gtest/gtest.h>

#include <filesystem>

#include "exl/exl.h"
#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/cell_address.h"
#include "spreadsheet/xlsx_writer.h"
#include "support/test_files.h"

using namespace zelk;

namespace {

struct ExlFixture : ::testing::Test {
    ScriptedPlatform platform;
    Alg alg{platform};
    ExcelInstances instances;
    Exl exl{alg, instances};

    std::string screen() { return alg.screen().text(); }
    Worksheet& active() { return exl.ExcelApp->ActiveSheet(); }
    void startWithWorkbook() {
        ASSERT_TRUE(exl.ExcelStart(true, true, "", true));
        ASSERT_EQ(exl.NewWorkbook(true), Variant("Map1"));
    }
};

// A block whose every cell names its own indexes, so any misplacement shows.
VariantArray block(long lb1, long ub1, long lb2, long ub2) {
    VariantArray a(lb1, ub1, lb2, ub2);
    for (long i = lb1; i <= ub1; ++i)
        for (long j = lb2; j <= ub2; ++j) a(i, j) = std::to_string(i) + "," + std::to_string(j);
    return a;
}

Variant n(std::int32_t i) { return Variant(i); }

VariantArray row(long lb, long ub) {
    VariantArray a(lb, ub);
    for (long j = lb; j <= ub; ++j) a(j) = static_cast<std::int32_t>(j * 10);
    return a;
}

}  // namespace

TEST_F(ExlFixture, StartCreatesOrAttachesInstances) {
    EXPECT_FALSE(exl.ExcelApp);
    ASSERT_TRUE(exl.ExcelStart(true, true, "", true));
    auto first = exl.ExcelApp;
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(instances.count(), 1u);
    exl.NewWorkbook(true);
    first->Range("A1").Value(Variant("eerste"));

    // Each export starts one more instance; the first keeps its workbook.
    ASSERT_TRUE(exl.ExcelStart(false, true, "", true));
    EXPECT_EQ(instances.count(), 2u);
    EXPECT_NE(exl.ExcelApp, first);
    EXPECT_FALSE(exl.ExcelApp->Visible());
    EXPECT_EQ(first->Workbooks().Count(), 1);
    EXPECT_EQ(first->Range("A1").Value(), Variant("eerste"));

    // Without NewInstance a running instance is taken, none is created.
    auto second = exl.ExcelApp;
    ASSERT_TRUE(exl.ExcelStart(true, false, "", true));
    EXPECT_EQ(instances.count(), 2u);
    EXPECT_EQ(exl.ExcelApp, second);

    // With none running, one is created.
    first->Quit();
    second->Quit();
    EXPECT_EQ(instances.count(), 0u);
    ASSERT_TRUE(exl.ExcelStart(true, false, "", true));
    EXPECT_EQ(instances.count(), 1u);
    EXPECT_TRUE(platform.asked.empty());
}

TEST_F(ExlFixture, StartOpensTheWorkbookFileAsGiven) {
    zelk::testing::ScratchDir dir;
    // A file whose name has a blank on both sides.
    const std::string file = dir / " boek.xlsx ";
    {
        ExcelInstances other;
        Exl maker(alg, other);
        ASSERT_TRUE(maker.ExcelStart(true, true, "", false));
        maker.NewWorkbook(true);
        maker.ExcelApp->Range("B2").Value(Variant("inhoud"));
        ASSERT_TRUE(saveAs(maker.ExcelApp->ActiveWorkbook(), file));
    }
    // Blanks only: nothing is opened.
    ASSERT_TRUE(exl.ExcelStart(true, true, "   ", true));
    EXPECT_EQ(exl.ExcelApp->Workbooks().Count(), 0);

    ASSERT_TRUE(exl.ExcelStart(true, true, file, true));
    ASSERT_EQ(exl.ExcelApp->Workbooks().Count(), 1);
    EXPECT_EQ(exl.ExcelApp->ActiveWorkbook().Name(), " boek.xlsx ");
    EXPECT_EQ(exl.ExcelApp->Range("B2").Value(), Variant("inhoud"));

    // A file that cannot be opened ends a start that created the instance...
    const std::string missing = dir / "weg.xlsx";
    EXPECT_FALSE(exl.ExcelStart(true, true, missing, true));
    // ...and is passed over when a running instance was attached.
    EXPECT_TRUE(exl.ExcelStart(true, false, missing, true));
    EXPECT_TRUE(platform.asked.empty());
}

TEST_F(ExlFixture, CheckFailsWhenNoInstanceRunsEvenIfTheOldOneAnswers) {
    ASSERT_TRUE(exl.ExcelStart(true, true, "", true));
    auto held = exl.ExcelApp;
    EXPECT_TRUE(exl.ExcelCheck(held, false, true));  // no workbook: RequireSheets False never fails

    held->Quit();
    EXPECT_NO_THROW((void)held->Name());  // the old reference still answers
    EXPECT_FALSE(exl.ExcelCheck(held, false, false));
    EXPECT_TRUE(platform.asked.empty());

    EXPECT_FALSE(exl.ExcelCheck(held, false, true));
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].title, "Fout:429");
    EXPECT_EQ(platform.asked[0].style, vbInformation);
    EXPECT_NE(screen().find("Fout:429"), std::string::npos);
    EXPECT_EQ(held, exl.ExcelApp);  // the failed lookup leaves the reference as it was

    // A start whose check fails is False.
    ExcelInstances none;
    Exl lone(alg, none);
    std::shared_ptr<ExcelApplication> empty;
    EXPECT_FALSE(lone.ExcelCheck(empty, false, false));

    // RequireSheets: an application without a workbook has no sheets to count.
    ASSERT_TRUE(exl.ExcelStart(true, true, "", false));
    auto app = exl.ExcelApp;
    EXPECT_FALSE(exl.ExcelCheck(app, true, false));
    exl.NewWorkbook(true);
    EXPECT_TRUE(exl.ExcelCheck(app, true, false));
}

TEST_F(ExlFixture, NewWorkbookGivesThreeSheetsAndReportsFailures) {
    // No application yet: the failure is reported, the result is empty.
    EXPECT_TRUE(exl.NewWorkbook(true).isEmpty());
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].title, "Fout=91. Functie Nieuw Workbook");
    EXPECT_EQ(platform.asked[0].style, vbCritical);

    ASSERT_TRUE(exl.ExcelStart(true, true, "", true));
    EXPECT_EQ(exl.NewWorkbook(true), Variant("Map1"));
    EXPECT_EQ(exl.NewWorkbook(false), Variant("Map2"));
    EXPECT_EQ(exl.ExcelApp->Workbooks().Count(), 2);
    auto sheets = exl.ExcelApp->Sheets();
    ASSERT_EQ(sheets.Count(), 3);
    EXPECT_EQ(sheets(n(1)).Name(), "Blad1");
    EXPECT_EQ(sheets(n(3)).Name(), "Blad3");
    EXPECT_EQ(&exl.ExcelApp->ActiveSheet(), &sheets(Variant("blad1")));

    // A template that is no workbook file.
    EXPECT_TRUE(exl.NewWorkbook(true, Variant("/geen/sjabloon.xlsx")).isEmpty());
    EXPECT_EQ(platform.asked.back().title, "Fout=1004. Functie Nieuw Workbook");
    // The worksheet template gives one sheet.
    EXPECT_EQ(exl.NewWorkbook(true, n(-4167)), Variant("Map3"));
    EXPECT_EQ(exl.ExcelApp->Sheets().Count(), 1);
}

TEST_F(ExlFixture, WriteArrayPlacesBlocksByTheirLowerBounds) {
    startWithWorkbook();
    Worksheet& ws = active();
    ASSERT_TRUE(exl.WriteArray(n(1), n(1), block(1, 5, 1, 92)));
    EXPECT_EQ(ws.value(1, 1), Variant("1,1"));
    EXPECT_EQ(ws.value(5, 92), Variant("5,92"));
    EXPECT_EQ(ws.value(3, 50), Variant("3,50"));
    EXPECT_TRUE(ws.value(6, 1).isEmpty());
    EXPECT_TRUE(ws.value(1, 93).isEmpty());
    EXPECT_EQ(areaAddress(ws.selection()), "A1:CN5");  // the written block stays selected

    // Zero-based at (1, 1) addresses row 0 and column 0: False, nothing said, nothing written.
    Worksheet& other = exl.ExcelApp->Sheets()(n(2));
    other.Activate();
    EXPECT_FALSE(exl.WriteArray(n(1), n(1), block(0, 4, 0, 91)));
    EXPECT_TRUE(other.rows().empty());
    EXPECT_EQ(screen(), "");
    // At (2, 2) the same array fills from A1.
    ASSERT_TRUE(exl.WriteArray(n(2), n(2), block(0, 4, 0, 91)));
    EXPECT_EQ(other.value(1, 1), Variant("0,0"));
    EXPECT_EQ(other.value(5, 92), Variant("4,91"));

    // A one-dimensional array has no second dimension: False.
    EXPECT_FALSE(exl.WriteArray(n(1), n(1), row(1, 3)));
    // Bounds that reach past the last column fail the same way.
    EXPECT_FALSE(exl.WriteArray(n(1), n(16384), block(1, 1, 1, 2)));
    EXPECT_EQ(screen(), "");
}

TEST_F(ExlFixture, WriteArrayRowsAddsTheOffsetAndReportsFailures) {
    startWithWorkbook();
    Worksheet& ws = active();
    ASSERT_TRUE(exl.WriteArrayRows(n(8), row(1, 92), std::nullopt, std::nullopt, n(0)));
    EXPECT_EQ(ws.value(8, 1), Variant(10.0));
    EXPECT_EQ(ws.value(8, 92), Variant(920.0));
    EXPECT_TRUE(ws.value(8, 93).isEmpty());
    EXPECT_TRUE(ws.value(7, 1).isEmpty());
    EXPECT_EQ(areaAddress(ws.selection()), "A8:CN8");

    // Zero-based with offset 0 addresses column 0: False and the line "1004 - ...".
    EXPECT_FALSE(exl.WriteArrayRows(n(9), row(0, 91)));
    EXPECT_EQ(screen(), "1004 - Door toepassing of object gedefinieerde fout\r\n");
    EXPECT_EQ(ws.rows().size(), 8u);
    // With offset 1 it fills from column A.
    ASSERT_TRUE(exl.WriteArrayRows(n(9), row(0, 91), std::nullopt, std::nullopt, n(1)));
    EXPECT_EQ(ws.value(9, 1), Variant(0.0));
    EXPECT_EQ(ws.value(9, 92), Variant(910.0));

    // Row 0 and a two-dimensional array fail with their own numbers.
    EXPECT_FALSE(exl.WriteArrayRows(n(0), row(1, 2)));
    EXPECT_FALSE(exl.WriteArrayRows(n(10), block(1, 2, 1, 2)));
    EXPECT_NE(screen().find("\r\n1004 - "), std::string::npos);
}

TEST_F(ExlFixture, WritersSelectTheGivenSheetAndWorkbook) {
    startWithWorkbook();
    exl.NewWorkbook(true);  // Map2 is active now
    // Sheet given, Workbook omitted: that sheet of the active workbook.
    ASSERT_TRUE(exl.WriteArrayRows(n(1), row(1, 2), Variant("Blad2")));
    Workbook& map2 = exl.ExcelApp->ActiveWorkbook();
    EXPECT_EQ(map2.Name(), "Map2");
    EXPECT_EQ(map2.ActiveSheet().Name(), "Blad2");
    EXPECT_EQ(map2.ActiveSheet().value(1, 2), Variant(20.0));

    // Workbook given by name: brought to the front first.
    ASSERT_TRUE(exl.WriteArray(n(2), n(3), block(1, 1, 1, 1), n(3), Variant("map1")));
    Workbook& map1 = exl.ExcelApp->ActiveWorkbook();
    EXPECT_EQ(map1.Name(), "Map1");
    EXPECT_EQ(map1.ActiveSheet().Name(), "Blad3");
    EXPECT_EQ(map1.ActiveSheet().value(2, 3), Variant("1,1"));
    // An empty Workbook counts as not given.
    ASSERT_TRUE(exl.WriteArrayRows(n(1), row(1, 1), Variant("Blad1"), Variant("")));
    EXPECT_EQ(exl.ExcelApp->ActiveWorkbook().Name(), "Map1");
    EXPECT_EQ(screen(), "");

    // Sheets that do not exist: silent for WriteArray, a line for WriteArrayRows.
    EXPECT_FALSE(exl.WriteArray(n(1), n(1), block(1, 1, 1, 1), Variant("Blad9")));
    EXPECT_EQ(screen(), "");
    EXPECT_FALSE(exl.WriteArrayRows(n(1), row(1, 1), n(4)));
    EXPECT_EQ(screen(), "9 - Het subscript valt buiten het bereik\r\n");
    EXPECT_THROW(exl.SelectSheet(Variant("Blad1"), Variant("Map7")), RuntimeError);
}
