// Rows through the in-process spreadsheet (WriteArrayRows, formatting as the
// asset export does, save) against libxlsxwriter writing the same cells
// directly. Usage: xlsx_bench [model|bare|both] [rows] [folder]
// Run each mode under /usr/bin/time -v for its peak memory.
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "exl/exl.h"
#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "spreadsheet/xlsx_writer.h"

using namespace zelk;
using Clock = std::chrono::steady_clock;

namespace {

constexpr long kColumns = 60;

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// One data row like the movable-assets export's: texts (some repeating,
// some unique), amounts, dates, whole numbers and empty cells.
void fillRow(VariantArray& row, long i) {
    for (long c = 1; c <= kColumns; ++c) row(c) = Variant();
    const std::string building = std::to_string(1000 + i / 40);
    row(1) = Variant("Object " + std::to_string(i) + " installatie");
    row(3) = Variant("Categorie " + std::to_string(i % 37));
    row(5) = Variant(Currency{(i * 7919 % 5000000) * 10000});
    row(6) = Variant("B0190");
    row(8) = Variant("B" + building);
    row(9) = Variant(std::int32_t{813121});
    const auto part = [i](long m) { return static_cast<int>(i % m); };
    row(15) = Variant(makeDate(2000 + part(25), 1 + part(12), 1 + part(28)));
    row(16) = Variant("'" + std::to_string(20000 + i));
    row(17) = Variant("");
    row(18) = Variant("B" + building);
    row(20) = Variant("Gebouw " + building);
    row(24) = Variant(Currency{(i * 31 % 900000) * 10000});
    row(25) = Variant(Currency{(i * 13 % 50000) * 10000});
    row(28) = Variant(std::int32_t(i % 480));
    row(31) = Variant(Currency{(i % 1000) * 10000});
    row(32) = Variant("Amount");
    row(33) = Variant(Currency{0});
    row(34) = Variant(i % 5 ? "Yes" : "No");
    row(35) = Variant(makeDate(2020, 1 + static_cast<int>(i % 12), 15));
    row(41) = Variant(building + " - IC" + std::to_string(i % 37) + " - " + std::to_string(i % 40));
    row(42) = Variant("Gebouw " + building);
    row(43) = Variant("Straatweg " + std::to_string(i % 400));
    row(44) = Variant("1234 AB");
    row(45) = Variant("Kalmerstede");
    row(46) = Variant("Regio " + std::to_string(i % 9));
    row(47) = Variant("Eigendom");
    row(48) = Variant("In eigen gebruik");
    row(49) = Variant(Currency{(i * 101 % 9000000) * 10000});
    row(52) = Variant(makeDate(2015, 1 + static_cast<int>(i % 12), 1));
    row(53) = Variant(std::int32_t(i % 300));
}

double runModel(long rows, const std::filesystem::path& file) {
    ScriptedPlatform platform;
    Alg alg(platform);
    ExcelInstances instances;
    Exl exl(alg, instances);
    const auto start = Clock::now();
    exl.ExcelStart(true, true, "", true);
    exl.NewWorkbook(true);
    ExcelApplication& app = *exl.ExcelApp;
    app.DisplayAlerts(false);
    app.Sheets()(Variant(std::int32_t{3})).Select();
    app.ActiveWindow().SelectedSheets().Delete();
    app.Sheets()(Variant(std::int32_t{2})).Select();
    app.ActiveWindow().SelectedSheets().Delete();
    app.Sheets()(Variant(std::int32_t{1})).Name("ZELK-Extract-1");
    VariantArray head(1, 5, 1, kColumns);
    head(1, 1) = Variant("(ZELK-Extract-1)");
    for (long c = 1; c <= kColumns; ++c) head(4, c) = Variant("Kolom " + std::to_string(c));
    exl.WriteArray(Variant(std::int32_t{1}), Variant(std::int32_t{1}), head);

    VariantArray row(1, kColumns);
    for (long i = 0; i < rows; ++i) {
        fillRow(row, i);
        exl.WriteArrayRows(Variant(std::int32_t(8 + i)), row);
    }
    const double written = seconds(start);

    const auto fmt = Clock::now();
    app.Range("A1:BA4").Select();
    app.Selection().Font().FontStyle("Vet");
    app.Columns("A:AI").ColumnWidth(0);
    app.Columns("A:AI").Select();
    app.Selection().Columns().AutoFit();
    app.Columns("AO:BA").Select();
    app.Selection().Columns().AutoFit();
    for (const char* cols : {"E:E", "X:X", "Y:Y", "AG:AG", "AE:AE", "AW:AW"}) {
        app.Columns(cols).Select();
        app.Selection().NumberFormat("##0_-");
    }
    app.Columns("O:O").Select();
    app.Selection().NumberFormat("D-MMM-YYYY");
    app.Range("A1").Select();
    const double formatted = seconds(fmt);

    const auto save = Clock::now();
    const SaveResult r = saveAs(app.ActiveWorkbook(), file);
    const double saved = seconds(save);
    if (!r) std::fprintf(stderr, "opslaan mislukt: %s\n", r.error.c_str());
    const double total = seconds(start);
    std::printf("model: %ld rijen: vullen %.2f s, opmaak %.2f s, opslaan %.2f s, totaal %.2f s (%.0f rijen/s)\n", rows,
                written, formatted, saved, total, static_cast<double>(rows) / total);
    // The check every save makes of its package (CRCs, small parts parsed, sheets scanned), on its own.
    const auto check = Clock::now();
    verifyPackage(file.string(), {});
    std::printf("model: controle van het pakket %.2f s (%.0f%% van opslaan)\n", seconds(check),
                100.0 * seconds(check) / saved);
    return total;
}

double runBare(long rows, const std::filesystem::path& file) {
    const auto start = Clock::now();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(file.c_str(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "ZELK-Extract-1");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* amount = workbook_add_format(wb);
    format_set_num_format(amount, "##0_-");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "d-m-yyyy");
    worksheet_set_column(ws, 0, 52, 15, nullptr);
    worksheet_write_string(ws, 0, 0, "(ZELK-Extract-1)", bold);
    for (long c = 1; c <= kColumns; ++c)
        worksheet_write_string(ws, 3, static_cast<lxw_col_t>(c - 1), ("Kolom " + std::to_string(c)).c_str(), bold);

    VariantArray row(1, kColumns);
    for (long i = 0; i < rows; ++i) {
        fillRow(row, i);
        const auto r = static_cast<lxw_row_t>(7 + i);
        for (long c = 1; c <= kColumns; ++c) {
            const Variant& v = row(c);
            const auto cc = static_cast<lxw_col_t>(c - 1);
            switch (v.type()) {
            case VarType::String: {
                const std::string& s = v.str();
                if (!s.empty()) worksheet_write_string(ws, r, cc, s[0] == '\'' ? s.c_str() + 1 : s.c_str(), nullptr);
                break;
            }
            case VarType::Currency: worksheet_write_number(ws, r, cc, v.toDouble(), amount); break;
            case VarType::Date: worksheet_write_number(ws, r, cc, v.date().serial, date); break;
            case VarType::Empty: break;
            default: worksheet_write_number(ws, r, cc, v.toDouble(), nullptr); break;
            }
        }
    }
    const lxw_error err = workbook_close(wb);
    if (err != LXW_NO_ERROR) std::fprintf(stderr, "libxlsxwriter: %s\n", lxw_strerror(err));
    const double total = seconds(start);
    std::printf("kaal:  %ld rijen: totaal %.2f s (%.0f rijen/s)\n", rows, total, static_cast<double>(rows) / total);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "both";
    const long rows = argc > 2 ? std::atol(argv[2]) : 100000;
    const std::filesystem::path dir = argc > 3 ? argv[3] : std::filesystem::temp_directory_path();
    double model = 0, bare = 0;
    if (mode == "model" || mode == "both") model = runModel(rows, dir / "bench-model.xlsx");
    if (mode == "bare" || mode == "both") bare = runBare(rows, dir / "bench-bare.xlsx");
    if (model > 0 && bare > 0) std::printf("verhouding model/kaal: %.2f\n", model / bare);
    return 0;
}
