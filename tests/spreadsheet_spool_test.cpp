// Rows kept on disk: a sheet whose rows went to the spool reads, formats,
// fits and saves as one held in memory.
#include <gtest/gtest.h>

#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/row_spool.h"
#include "spreadsheet/sheet_part_scan.h"
#include "spreadsheet/variant_array.h"
#include "spreadsheet/xlsx_writer.h"
#include "spreadsheet/zip_package.h"
#include "support/test_files.h"

using namespace zelk;
using zelk::testing::OwnTempDir;
using zelk::testing::ScratchDir;
#ifndef _WIN32
using zelk::testing::SmallFileLimit;
#endif
namespace fs = std::filesystem;

namespace {

class SpoolAfter {
public:
    explicit SpoolAfter(std::size_t rows) : old_(Worksheet::spoolAfterRows()) { Worksheet::setSpoolAfterRows(rows); }
    ~SpoolAfter() { Worksheet::setSpoolAfterRows(old_); }
    SpoolAfter(const SpoolAfter&) = delete;
    SpoolAfter& operator=(const SpoolAfter&) = delete;

private:
    std::size_t old_;
};

#ifndef _WIN32
// Writes rows from `r` on under a small file limit until one is refused
// (error 1004); returns that row, or 0. `r` ends past the last row tried.
template <typename Write>
long firstRefusedRow(long& r, long last, Write write) {
    const SmallFileLimit limit;
    for (; r <= last; ++r) {
        try {
            write(r);
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 1004);
            return r++;
        }
    }
    return 0;
}
#endif

void formatColumns(ExcelApplication& app, const char* columns, const char* format) {
    app.Columns(columns).Select();
    app.Selection().NumberFormat(format);
}

struct Saved {
    std::string sheet, styles;
    Variant early, late;  // a cell read back halfway, and one at the end
};

// An export's course: a header block, rows of every kind of value, whole
// columns formatted while rows are still coming, a cell read back halfway,
// then bold, widths, fitting and the selection.
Saved buildAndSave(const fs::path& file) {
    ScriptedPlatform platform;
    ExcelInstances instances;
    auto app = instances.start(platform);
    app->SheetsInNewWorkbook(1);
    Workbook& book = app->Workbooks().Add();
    Worksheet& ws = book.ActiveSheet();
    VariantArray head(1, 5, 1, 12);
    head(1, 1) = Variant("(ZELK-Extract-1)");
    head(2, 12) = Variant(makeTime(10, 15, 3));
    for (long c = 1; c <= 12; c += 2) head(4, c) = Variant("Kop " + std::to_string(c));
    app->Range("A1:L5").Value(head);
    Saved saved;
    for (int r = 8; r <= 420; ++r) {
        VariantArray row(3, 12);  // from column 3: A and B stay empty, with their columns' format
        row(3) = Variant("Naam " + std::string(static_cast<std::size_t>(r % 17), 'x') + std::to_string(r));
        row(4) = Variant(Currency{r * 12345});
        row(5) = Variant(r % 50 == 0 ? makeDate(1899, 12, 1) : makeDate(2000 + r % 20, 1 + r % 12, 1 + r % 28));
        row(6) = Variant("'000" + std::to_string(r));
        row(7) = Variant(r % 3 == 0);
        row(8) = Variant(static_cast<double>(r) * 1.25 - 100);
        row(9) = Variant("");
        row(10) = r % 7 ? Variant("B\xff" + std::to_string(r)) : Variant::null();
        row(11) = Variant(std::int32_t{813121});
        row(12) = Variant("'01");
        app->Range(app->Cells(r, 3), app->Cells(r, 12)).Value(row);
        if (r == 150) formatColumns(*app, "D:D", "##0_-");
        if (r == 250) saved.early = ws.value(100, 3);
        if (r == 350) formatColumns(*app, "H:H", "0.00");
    }
    app->Range("A1:L4").Select();
    app->Selection().Font().FontStyle("Vet");
    app->Range("L2").Select();
    app->Selection().NumberFormat("h:mm:ss");
    app->Columns("A:J").ColumnWidth(0);
    app->Columns("A:J").Select();
    app->Selection().Columns().AutoFit();
    formatColumns(*app, "E:E", "D-MMM-YYYY");
    formatColumns(*app, "K:K", "##0_-");
    app->Range("A1").Select();
    const SaveResult r = saveAs(book, file);
    EXPECT_TRUE(r) << r.error;
    saved.late = ws.value(419, 10);
    const ZipPackage zip(file.string());
    saved.sheet = zip.read("xl/worksheets/sheet1.xml");
    saved.styles = zip.read("xl/styles.xml");
    return saved;
}

}  // namespace

TEST(SpreadsheetSpool, SpooledSheetSavesTheSameCellsAsOneInMemory) {
    ScratchDir dir;
    OwnTempDir tmp(dir);
    Saved inMemory, spooled;
    {
        SpoolAfter never(std::size_t{1} << 30);
        inMemory = buildAndSave(dir.path() / "geheugen.xlsx");
    }
    {
        SpoolAfter soon(3);
        spooled = buildAndSave(dir.path() / "spool.xlsx");
    }
    ASSERT_FALSE(inMemory.sheet.empty());
    EXPECT_EQ(spooled.sheet, inMemory.sheet);
    EXPECT_EQ(spooled.styles, inMemory.styles);
    EXPECT_EQ(spooled.early, Variant("Naam " + std::string(100 % 17, 'x') + "100"));
    EXPECT_EQ(spooled.late, Variant("B\xef\xbf\xbd"
                                    "419"));  // the broken byte repaired
    EXPECT_EQ(inMemory.early, spooled.early);
    EXPECT_EQ(inMemory.late, spooled.late);
    // Nothing of the spool stays behind.
    for (const auto& e : fs::directory_iterator(dir.path())) EXPECT_EQ(e.path().extension(), ".xlsx") << e.path();
}

TEST(SpreadsheetSpool, AFailedWriteRefusesOneRowAndKeepsTheOthers) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is planted with a file-size limit, which Windows does not have";
#else
    ScratchDir dir;
    OwnTempDir tmp(dir);
    RowSpool spool;
    std::vector<Cell> cells(2);
    std::vector<std::string> texts(2);
    const auto append = [&](long r) {
        cells[0].setNumber(static_cast<double>(r));
        cells[1].setString(0);
        texts[1] = std::string(500, 'x') + std::to_string(r);
        spool.append(r, cells, texts);
    };
    long r = 1;
    for (; r <= 1000; ++r) append(r);

    const long refused = firstRefusedRow(r, 5000, append);
    ASSERT_GT(refused, 0);

    for (long more = 0; more < 10; ++more, ++r) append(r);
    std::vector<long> expected;
    for (long k = 1; k < r; ++k)
        if (k != refused) expected.push_back(k);
    std::vector<long> seen;
    spool.forEach([&](std::size_t index, const SpooledRow& row) {
        ASSERT_EQ(index, seen.size());
        ASSERT_EQ(row.cells.size(), 2u);
        EXPECT_EQ(row.cells[0].number(), static_cast<double>(row.row));
        EXPECT_EQ(row.strings.at(row.cells[1].stringId()), std::string(500, 'x') + std::to_string(row.row));
        seen.push_back(row.row);
    });
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(spool.lastRow(), r - 1);
#endif
}

TEST(SpreadsheetSpool, SheetScanGivesTheSameAnswerWhereverThePiecesBreak) {
    const std::string part =
        "<worksheet><cols><col min=\"1\"/></cols><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">"
        "<is><t>\xe2\x82\xac &lt;c </t></is></c><c r=\"B1\"/><c><v>1</v></c></row></sheetData>"
        "</worksheet>\n";
    for (std::size_t cut = 0; cut <= part.size(); ++cut) {
        SheetPartScan scan;
        scan.feed(std::string_view(part).substr(0, cut));
        scan.feed(std::string_view(part).substr(cut));
        EXPECT_EQ(scan.cells(), 3u) << cut;
        EXPECT_TRUE(scan.complete()) << cut;
        EXPECT_TRUE(scan.characters()) << cut;
    }
    const auto scanned = [](const std::string& s) {
        SheetPartScan scan;
        scan.feed(s);
        return scan;
    };
    EXPECT_FALSE(scanned(part.substr(0, part.size() - 4)).complete());
    EXPECT_FALSE(scanned("<worksheet>\x01</worksheet>").characters());          // a control character
    EXPECT_FALSE(scanned("<worksheet>\xef\xbf\xbe</worksheet>").characters());  // U+FFFE
    EXPECT_FALSE(scanned("<worksheet>\xed\xa0\x80</worksheet>").characters());  // a surrogate
    EXPECT_FALSE(scanned("<worksheet>\xc0\xaf</worksheet>").characters());      // overlong
    EXPECT_FALSE(scanned("<worksheet>\xe2\x82").characters());                  // cut inside a character
    EXPECT_TRUE(scanned("<worksheet>\t\r\n\xf0\x9f\x98\x80</worksheet>").characters());
}

TEST(SpreadsheetSpool, ARowTheDiskRefusesIsAnErrorAndTheSheetKeepsTheRest) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is planted with a file-size limit, which Windows does not have";
#else
    ScratchDir dir;
    OwnTempDir tmp(dir);
    SpoolAfter soon(2);
    ScriptedPlatform platform;
    ExcelInstances instances;
    auto app = instances.start(platform);
    Workbook& book = app->Workbooks().Add();
    VariantArray row(1, 40);
    const auto write = [&](long r) {
        for (int c = 1; c <= 40; ++c) row(c) = Variant("rij " + std::to_string(r) + " kolom " + std::to_string(c));
        app->Range(app->Cells(r, 1), app->Cells(r, 40)).Value(row);
    };
    long r = 1;
    for (; r <= 200; ++r) write(r);

    const long refused = firstRefusedRow(r, 20000, write);
    ASSERT_GT(refused, 0);
    for (int more = 0; more < 5; ++more, ++r) write(r);

    ASSERT_TRUE(saveAs(book, dir.path() / "vol.xlsx"));
    Workbook& back = instances.start(platform)->Workbooks().Open(dir / "vol.xlsx");
    const Worksheet& ws = *back.sheets()[0];
    for (long k = 1; k < r; ++k) {
        const Variant expected = k == refused ? Variant() : Variant("rij " + std::to_string(k) + " kolom 40");
        ASSERT_EQ(ws.value(k, 40), expected) << k;
    }
    EXPECT_EQ(ws.value(r, 1), Variant());
#endif
}
