// The floor an export is measured against: the export's query alone, and a
// bare libxlsxwriter program writing rows in constant-memory mode.
//   xlsx_floor DATABASE roerend|onroerend|mapping OUT.xlsx [CELLS.xlsx]
// With CELLS (the export's own workbook) the writer writes exactly that
// workbook's cells, read in before the clock starts, after stepping through
// every field of the query; without, one cell per query column as the rows
// come. Prints the rows, and the CPU and wall seconds of query and writer.

#include <sqlite3.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "database/jet_functions.h"
#include "exports/export_sql.h"
#include "platform/scripted_platform.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/workbook.h"

namespace {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

int fail(const char* what, const char* why) {
    std::fprintf(stderr, "xlsx_floor: %s: %s\n", what, why);
    return 1;
}

double clockSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The sheet's cells as bare values: no formats, no widths.
void writeCells(lxw_worksheet* ws, const zelk::Worksheet& sheet) {
    sheet.forEachRow([&](long r, const std::vector<zelk::Cell>& cells, const zelk::StringPool& strings) {
        const auto row = static_cast<lxw_row_t>(r - 1);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const zelk::Cell& cell = cells[c];
            const auto col = static_cast<lxw_col_t>(c);
            switch (cell.kind()) {
            case zelk::CellKind::Empty: break;
            case zelk::CellKind::String:
                worksheet_write_string(ws, row, col, strings.at(cell.stringId()).c_str(), nullptr);
                break;
            case zelk::CellKind::Boolean: worksheet_write_boolean(ws, row, col, cell.boolean(), nullptr); break;
            default: worksheet_write_number(ws, row, col, cell.number(), nullptr); break;
            }
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "Gebruik: xlsx_floor DATABASE roerend|onroerend|mapping OUT.xlsx [CELLS.xlsx]\n");
        return 2;
    }
    zelk::ScriptedPlatform platform;
    zelk::ExcelInstances instances;
    const zelk::Worksheet* cells = nullptr;
    if (argc == 5) {
        zelk::Workbook& book = instances.start(platform)->Workbooks().Open(argv[4]);
        cells = book.sheets().front().get();
        (void)cells->rows();  // every cell in memory before the clock starts
    }
    const double cpu0 = clockSeconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = clockSeconds(CLOCK_MONOTONIC);
    const std::string kind = argv[2];
    std::string sql;
    if (kind == "roerend") sql = zelk::movableAssetsSql();
    else if (kind == "onroerend") sql = zelk::immovableAssetsSql();
    else if (kind == "mapping") sql = zelk::categoryMappingSql();
    else return fail("export", argv[2]);

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(argv[1], &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, Closer> db(raw);
    if (rc != SQLITE_OK) return fail(argv[1], sqlite3_errmsg(raw));
    zelk::registerJetFunctions(db.get());
    if (kind == "mapping") {
        const std::string view = "CREATE TEMP VIEW OG_WVW AS " + zelk::ogWvwSql();
        if (sqlite3_exec(db.get(), view.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return fail("OG_WVW", sqlite3_errmsg(db.get()));
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return fail("query", sqlite3_errmsg(db.get()));
    std::unique_ptr<sqlite3_stmt, Closer> stmt(st);

    // The asset exports skip records without a purchase value.
    int purchase = -1;
    const int columns = sqlite3_column_count(st);
    for (int c = 0; c < columns && kind != "mapping"; ++c)
        if (std::strcmp(sqlite3_column_name(st, c), "OW_AanschafWaarde") == 0) purchase = c;

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(argv[3], &options);
    if (!wb) return fail(argv[3], "workbook_new_opt");
    lxw_worksheet* ws = workbook_add_worksheet(wb, "ZELK-Extract");
    lxw_row_t row = 7;
    long rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (purchase >= 0 && sqlite3_column_type(st, purchase) == SQLITE_NULL) continue;
        if (cells) {
            for (int c = 0; c < columns; ++c)
                if (sqlite3_column_type(st, c) == SQLITE_TEXT) (void)sqlite3_column_text(st, c);
                else (void)sqlite3_column_double(st, c);
            ++rows;
            continue;
        }
        for (int c = 0; c < columns; ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
            case SQLITE_FLOAT: worksheet_write_number(ws, row, col, sqlite3_column_double(st, c), nullptr); break;
            case SQLITE_TEXT:
                worksheet_write_string(ws, row, col, reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                       nullptr);
                break;
            default: break;
            }
        }
        ++row;
        ++rows;
    }
    if (cells) writeCells(ws, *cells);
    if (workbook_close(wb) != LXW_NO_ERROR) return fail(argv[3], "workbook_close");
    std::printf("%ld %.3f %.3f\n", rows, clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0,
                clockSeconds(CLOCK_MONOTONIC) - wall0);
    return 0;
}
