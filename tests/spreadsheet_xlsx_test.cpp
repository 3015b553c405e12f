// Saving workbooks to .xlsx and reading them back.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <xlsxwriter.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/temp_workbook_file.h"
#include "spreadsheet/variant_array.h"
#include "spreadsheet/xlsx_writer.h"
#include "spreadsheet/zip_package.h"
#include "support/checks.h"
#include "support/test_files.h"

using namespace zelk;
using zelk::testing::errorOf;
using zelk::testing::filesIn;
using zelk::testing::readBytes;
using zelk::testing::ScratchDir;
namespace fs = std::filesystem;

namespace {

Variant n(std::int32_t i) { return Variant(i); }

// The workbook the python read-back checks too (tests/spreadsheet_readback.py):
// two sheets, a header block in bold, every kind of cell, formats and widths
// as the exports set them.
Workbook& buildSample(ExcelApplication& app) {
    app.SheetsInNewWorkbook(2);
    Workbook& book = app.Workbooks().Add();
    app.Sheets()(n(1)).Name("ZELK-Extract-1");
    VariantArray head(1, 5, 1, 6);
    head(1, 1) = Variant("(ZELK-Extract-1)");
    head(1, 5) = Variant("COM");
    head(2, 1) = Variant(makeTime(10, 15, 3));
    head(4, 1) = Variant("Description");
    head(4, 2) = Variant("Cost");
    head(4, 3) = Variant("Date Placed In Service");
    head(4, 4) = Variant("Asset Number");
    head(4, 6) = Variant("Leeg");
    app.Range("A1:F5").Value(head);
    VariantArray row(1, 6);
    row(1) = Variant("=SUM(A1:A2)");
    row(2) = Variant(Currency{12345678});  // 1234,5678
    row(3) = Variant(makeDate(2010, 1, 31));
    row(4) = Variant("'000123");
    row(5) = Variant(std::int32_t{813121});
    row(6) = Variant(true);
    app.Range("A8:F8").Value(row);
    VariantArray row2(1, 6);
    row2(1) = Variant("Ça coûte € 5 & <meer>");
    row2(2) = Variant(-0.5);
    row2(3) = Variant(makeDate(1900, 1, 1));
    row2(5) = Variant(makeDateTime({2026, 12, 6, 10, 15, 3}));
    app.Range("A9:F9").Value(row2);

    app.Range("A1:D4").Select();
    app.Selection().Font().FontStyle("Vet");
    app.Range("A2").Select();
    app.Selection().NumberFormat("h:mm:ss");
    app.Columns("B:B").Select();
    app.Selection().NumberFormat("##0_-");
    app.Columns("C:C").Select();
    app.Selection().NumberFormat("D-MMM-YYYY");
    app.Columns("A:E").ColumnWidth(0);
    app.Columns("A:D").Select();
    app.Selection().Columns().AutoFit();
    app.Columns("F:F").ColumnWidth(20);
    app.Range("A1").Select();

    app.Sheets()(n(2)).Name("Tweede");
    app.Sheets()(n(2)).Activate();
    app.Range("B3").Value(Variant("op blad twee"));
    app.Sheets()(n(1)).Select();
    return book;
}

struct XlsxFixture : ::testing::Test {
    ScriptedPlatform platform;
    ExcelInstances instances;
    std::shared_ptr<ExcelApplication> app = instances.start(platform);
    ScratchDir dir;
};

}  // namespace

TEST_F(XlsxFixture, SavedWorkbookReadsBackTheSame) {
    Workbook& book = buildSample(*app);
    const fs::path file = dir.path() / "roerend.xlsx";
    const SaveResult r = saveAs(book, file);
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(book.Name(), "roerend.xlsx");
    EXPECT_EQ(book.FullName(), file.string());
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"roerend.xlsx"});  // no temporary file left
#ifndef _WIN32  // Windows gives a file the access list of its folder
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(file).permissions()), 0666 & ~mask);  // not the temporary file's 0600
#endif

    auto other = instances.start(platform);
    Workbook& back = other->Workbooks().Open(file.string());
    ASSERT_EQ(back.sheets().size(), 2u);
    EXPECT_EQ(back.sheets()[0]->Name(), "ZELK-Extract-1");
    EXPECT_EQ(back.sheets()[1]->Name(), "Tweede");
    EXPECT_EQ(back.ActiveSheet().Name(), "ZELK-Extract-1");
    const Worksheet& ws = *back.sheets()[0];
    EXPECT_EQ(ws.value(1, 1), Variant("(ZELK-Extract-1)"));
    // The file keeps 16 significant digits: a time of day may come back one unit off in its last place.
    EXPECT_NEAR(ws.value(2, 1).toDouble(), makeTime(10, 15, 3).serial, 1e-15);
    EXPECT_EQ(ws.value(2, 1).type(), VarType::Date);
    EXPECT_EQ(ws.numberFormat(2, 1), "h:mm:ss");
    EXPECT_EQ(ws.value(8, 1), Variant("=SUM(A1:A2)"));  // text, not a formula
    EXPECT_EQ(ws.value(8, 2), Variant(1234.5678));      // Currency as its number
    EXPECT_EQ(ws.numberFormat(8, 2), "##0_-");
    EXPECT_EQ(ws.value(8, 3), Variant(makeDate(2010, 1, 31)));
    EXPECT_EQ(ws.numberFormat(8, 3), "D-MMM-YYYY");
    EXPECT_EQ(ws.value(8, 4), Variant("000123"));
    EXPECT_EQ(ws.value(8, 5), Variant(813121.0));
    EXPECT_EQ(ws.value(8, 6), Variant(true));
    EXPECT_EQ(ws.value(9, 1), Variant("Ça coûte € 5 & <meer>"));
    EXPECT_EQ(ws.value(9, 3), Variant(makeDate(1900, 1, 1)));  // before the file's 29 February 1900
    EXPECT_NEAR(ws.value(9, 5).toDouble(), makeDateTime({2026, 12, 6, 10, 15, 3}).serial, 1e-9);
    EXPECT_EQ(ws.value(9, 5).type(), VarType::Date);
    EXPECT_EQ(ws.numberFormat(9, 5), "d-m-yyyy h:mm:ss");
    for (const auto& [row, col, bold] : {std::tuple{1, 1, true}, {4, 4, true}, {4, 6, false}, {8, 1, false}})
        EXPECT_EQ(ws.bold(row, col), bold) << row << "," << col;
    const Worksheet& orig = *book.sheets()[0];
    // Widths are kept to the pixel (a digit is 7 pixels wide).
    for (long c = 1; c <= 6; ++c) EXPECT_NEAR(ws.columnWidth(c), orig.columnWidth(c), 1.0 / 7) << c;
    EXPECT_EQ(ws.columnWidth(6), 20);
    EXPECT_EQ(ws.columnWidth(5), 0);  // E has nothing to fit: hidden
    EXPECT_EQ(back.sheets()[1]->value(3, 2), Variant("op blad twee"));

    // saveAs replaces an existing file.
    app->Range("A1").Value(Variant("gewijzigd"));
    ASSERT_TRUE(saveAs(book, file));
    Workbook& again = instances.start(platform)->Workbooks().Open(file.string());
    EXPECT_EQ(again.sheets()[0]->value(1, 1), Variant("gewijzigd"));
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"roerend.xlsx"});
}

TEST_F(XlsxFixture, LargeWorkbookRoundTripsEveryRow) {
    Workbook& book = app->Workbooks().Add();
    VariantArray row(1, 92);
    for (long r = 8; r < 8 + 3000; ++r) {
        for (long c = 1; c <= 92; ++c)
            row(c) = c % 3 ? Variant("B" + std::to_string(r * 100 + c))
                           : Variant(static_cast<double>(r) + static_cast<double>(c) / 8.0);
        app->Range(app->Cells(r, 1), app->Cells(r, 92)).Value(row);
    }
    ASSERT_TRUE(saveAs(book, dir.path() / "groot.xlsx"));
    Workbook& back = instances.start(platform)->Workbooks().Open(dir / "groot.xlsx");
    const Worksheet& a = *book.sheets()[0];
    const Worksheet& b = *back.sheets()[0];
    ASSERT_EQ(b.rows().size(), a.rows().size());
    for (long r = 8; r < 8 + 3000; r += 7)
        for (long c = 1; c <= 92; ++c) ASSERT_EQ(b.value(r, c), a.value(r, c)) << r << "," << c;
}

TEST_F(XlsxFixture, FailedSavesReportAnErrorAndLeaveNoFile) {
    Workbook& book = buildSample(*app);
    // Folder missing.
    SaveResult r = saveAs(book, dir.path() / "geen" / "map.xlsx");
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("bestaat niet"), std::string::npos) << r.error;
    // The name is a folder.
    fs::create_directory(dir.path() / "bezet.xlsx");
    EXPECT_FALSE(saveAs(book, dir.path() / "bezet.xlsx"));
    // The folder's place is a file.
    std::ofstream(dir.path() / "bestand") << "x";
    EXPECT_FALSE(saveAs(book, dir.path() / "bestand" / "map.xlsx"));
    // saveAsNew never overwrites.
    std::ofstream(dir.path() / "oud.xlsx") << "oude inhoud";
    r = saveAsNew(book, dir.path() / "oud.xlsx");
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.alreadyExists);
    EXPECT_EQ(readBytes(dir.path() / "oud.xlsx"), "oude inhoud");
    EXPECT_EQ(book.Name(), "Map1");  // a failed save does not rename the workbook
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"bestand", "bezet.xlsx", "oud.xlsx"}));
}

TEST_F(XlsxFixture, FullDiskKeepsTheEarlierFile) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is planted with a file-size limit, which Windows does not have";
#else
    // A file-size limit fails the writes the way a full disk does.
    Workbook& book = app->Workbooks().Add();
    VariantArray row(1, 50);
    for (long r = 1; r <= 2000; ++r) {
        for (long c = 1; c <= 50; ++c) row(c) = Variant("tekst " + std::to_string(r * c));
        app->Range(app->Cells(r, 1), app->Cells(r, 50)).Value(row);
    }
    const fs::path file = dir.path() / "vol.xlsx";
    std::ofstream(file) << "vorige werkmap";

    const SaveResult r = [&] {
        const zelk::testing::SmallFileLimit limit;
        return saveAs(book, file);
    }();

    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(readBytes(file), "vorige werkmap");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"vol.xlsx"});
    // With room again the same save succeeds.
    EXPECT_TRUE(saveAs(book, file));
#endif
}

TEST_F(XlsxFixture, BrokenFilesDoNotOpen) {
    buildSample(*app);
    const fs::path good = dir.path() / "goed.xlsx";
    ASSERT_TRUE(saveAs(app->ActiveWorkbook(), good));
    const std::string bytes = readBytes(good);
    auto write = [&](const std::string& name, const std::string& content) {
        zelk::testing::writeBytes(dir / name, content);
        return dir / name;
    };
    auto openError = [&](const std::string& path) { return errorOf([&] { app->Workbooks().Open(path); }); };
    EXPECT_EQ(openError(write("kort.xlsx", bytes.substr(0, bytes.size() / 2))), 1004);
    EXPECT_EQ(openError(write("tekst.xlsx", "geen werkmap")), 1004);
    EXPECT_EQ(openError(write("leeg.xlsx", "")), 1004);
    std::string flipped = bytes;
    flipped[bytes.size() / 3] = static_cast<char>(flipped[bytes.size() / 3] ^ 0x55);
    EXPECT_EQ(openError(write("kapot.xlsx", flipped)), 1004);
    EXPECT_EQ(openError(dir / "bestaat-niet.xlsx"), 1004);
    EXPECT_EQ(app->Workbooks().Count(), 1);
    EXPECT_THROW(ZipPackage(dir / "kort.xlsx"), ZipError);
}

// Writes the sample workbook where the python read-back wants it
// (ZELK_READBACK_XLSX), or to a temporary folder when run on its own.
TEST_F(XlsxFixture, ReadbackSample) {
    const char* target = std::getenv("ZELK_READBACK_XLSX");
    const fs::path file = target ? fs::path(target) : dir.path() / "readback.xlsx";
    Workbook& book = buildSample(*app);
    const SaveResult r = saveAs(book, file);
    ASSERT_TRUE(r) << r.error;
    ZipPackage zip(file.string());
    EXPECT_TRUE(zip.contains("xl/worksheets/sheet2.xml"));
}

// Workbooks from other writers keep their texts in a shared table and may
// hold formulas; Open takes the texts, the last computed values, bold fonts
// and formats.
TEST_F(XlsxFixture, OpensWorkbooksWithSharedTexts) {
    const std::string file = dir / "gedeeld.xlsx";
    {
        lxw_workbook* wb = workbook_new(file.c_str());  // not constant_memory: texts go to the shared table
        lxw_worksheet* a = workbook_add_worksheet(wb, "Eerste");
        lxw_worksheet* b = workbook_add_worksheet(wb, "Tweede");
        lxw_format* bold = workbook_add_format(wb);
        format_set_bold(bold);
        lxw_format* date = workbook_add_format(wb);
        format_set_num_format(date, "dd/mm/yyyy");
        lxw_format* money = workbook_add_format(wb);
        format_set_num_format_index(money, 4);  // built-in "#,##0.00"
        worksheet_write_string(a, 0, 0, "Kop & <tekst>", bold);
        worksheet_write_string(a, 1, 0, "herhaald", nullptr);
        worksheet_write_string(a, 2, 0, "herhaald", nullptr);
        worksheet_write_number(a, 1, 1, 46362, date);
        worksheet_write_number(a, 1, 2, 1234.5, money);
        worksheet_write_formula_num(a, 1, 3, "=C2*2", nullptr, 2469);
        worksheet_write_boolean(a, 1, 4, 0, nullptr);
        worksheet_set_column(a, 0, 0, 30, nullptr);
        worksheet_write_string(b, 4, 2, "vijf", nullptr);
        worksheet_activate(b);
        ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    }
    Workbook& book = app->Workbooks().Open(file);
    EXPECT_EQ(book.Name(), "gedeeld.xlsx");
    ASSERT_EQ(book.sheets().size(), 2u);
    EXPECT_EQ(book.ActiveSheet().Name(), "Tweede");
    const Worksheet& a = *book.sheets()[0];
    EXPECT_EQ(a.value(1, 1), Variant("Kop & <tekst>"));
    EXPECT_TRUE(a.bold(1, 1));
    EXPECT_FALSE(a.bold(2, 1));
    EXPECT_EQ(a.value(3, 1), Variant("herhaald"));
    EXPECT_EQ(a.value(2, 2), Variant(makeDate(2026, 12, 6)));
    EXPECT_EQ(a.numberFormat(2, 2), "dd/mm/yyyy");
    EXPECT_EQ(a.value(2, 3), Variant(1234.5));
    EXPECT_EQ(a.numberFormat(2, 3), "#,##0.00");
    EXPECT_EQ(a.value(2, 4), Variant(2469.0));
    EXPECT_EQ(a.value(2, 5), Variant(false));
    EXPECT_EQ(a.columnWidth(1), 30);
    EXPECT_EQ(book.sheets()[1]->value(5, 3), Variant("vijf"));

    // Opening the same file again only brings it to the front.
    app->Workbooks().Add();
    Workbook& again = app->Workbooks().Open(file);
    EXPECT_EQ(&again, &book);
    EXPECT_EQ(&app->ActiveWorkbook(), &book);
    EXPECT_EQ(app->Workbooks().Count(), 2);
}

TEST_F(XlsxFixture, TheSameClockGivesTheSameBytes) {
    platform.clock = makeDateTime({2001, 2, 3, 4, 5, 6});
    Workbook& book = buildSample(*app);
    ASSERT_TRUE(saveAs(book, dir.path() / "een.xlsx"));
    ASSERT_TRUE(saveAs(book, dir.path() / "twee.xlsx"));
    EXPECT_EQ(readBytes(dir.path() / "een.xlsx"), readBytes(dir.path() / "twee.xlsx"));
    // The properties carry the run's clock, not the system's.
    const std::string core = ZipPackage((dir.path() / "een.xlsx").string()).read("docProps/core.xml");
    EXPECT_NE(core.find("<dcterms:created xsi:type=\"dcterms:W3CDTF\">2001-02-03T"), std::string::npos) << core;
    EXPECT_NE(core.find("<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2001-02-03T"), std::string::npos) << core;
    platform.clock = makeDateTime({2001, 2, 3, 4, 5, 7});
    ASSERT_TRUE(saveAs(book, dir.path() / "drie.xlsx"));
    EXPECT_NE(readBytes(dir.path() / "een.xlsx"), readBytes(dir.path() / "drie.xlsx"));
}

TEST_F(XlsxFixture, InterruptedSavesLeaveNoTemporaryFiles) {
#ifdef _WIN32
    GTEST_SKIP() << "planted with fork and POSIX signals";
#else
    // Leftovers of a run that is gone are removed by the next save; those of
    // a run still going are not.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = ".roerend.xlsx." + std::to_string(gone) + ".a1B2c3";
    const std::string live = ".roerend.xlsx." + std::to_string(::getpid()) + ".a1B2c3";
    std::ofstream(dir.path() / stale) << "x";
    std::ofstream(dir.path() / live) << "x";
    // Earlier versions' names carry no pid: removed once they are old.
    std::ofstream(dir.path() / ".roerend.xlsx.Q8xY2z") << "x";
    std::ofstream(dir.path() / ".mapping.xlsx.Q8xY2z") << "x";
    std::ofstream(dir.path() / ".a.Q8xY2z") << "x";  // not ours
    fs::last_write_time(dir.path() / ".roerend.xlsx.Q8xY2z", fs::file_time_type::clock::now() - std::chrono::hours(2));
    Workbook& book = buildSample(*app);
    ASSERT_TRUE(saveAs(book, dir.path() / "roerend.xlsx"));
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{".a.Q8xY2z", ".mapping.xlsx.Q8xY2z", live, "roerend.xlsx"}));
    fs::remove(dir.path() / live);
    fs::remove(dir.path() / ".mapping.xlsx.Q8xY2z");
    fs::remove(dir.path() / ".a.Q8xY2z");

    // A run killed while it saves leaves the earlier workbook and nothing
    // else: with unnamed files, and with hidden named ones (those are removed
    // on the termination signals; after SIGKILL by the next save).
    VariantArray row(1, 50);
    for (long r = 1; r <= 3000; ++r) {
        for (long c = 1; c <= 50; ++c) row(c) = Variant("tekst " + std::to_string(r * c));
        app->Range(app->Cells(r, 1), app->Cells(r, 50)).Value(row);
    }
    auto killedWhileSaving = [&](int sig, bool unnamed) {
        const pid_t child = ::fork();
        if (child == 0) {
            useUnnamedTempWorkbooks(unnamed);
            for (;;) (void)saveAs(book, dir.path() / "roerend.xlsx");
        }
        ::usleep(300 * 1000);
        ::kill(child, sig);
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == sig;
    };
    for (bool unnamed : {true, false}) {
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
            EXPECT_TRUE(killedWhileSaving(sig, unnamed)) << sig;
            if (sig == SIGKILL && !unnamed) {
                EXPECT_LE(filesIn(dir.path()).size(), 2u);  // the workbook and the killed run's file
                ASSERT_TRUE(saveAs(book, dir.path() / "ander.xlsx"));
                fs::remove(dir.path() / "ander.xlsx");
            }
            EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"roerend.xlsx"}) << sig << " " << unnamed;
        }
    }
#endif
}
