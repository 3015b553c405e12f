#include "exports/export_run.h"

#include <cassert>
#include <cmath>
#include <exception>
#include <optional>

#include "database/dbase.h"
#include "database/jet_errors.h"
#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "exports/exports.h"
#include "messages/datum_routines.h"
#include "runtime/dates.h"
#include "runtime/text.h"
#include "session/session.h"
#include "spreadsheet/variant_array.h"

namespace zelk {
namespace {

// Ends a run whose failure has no runtime error behind it (a recordset that
// did not open, a spreadsheet that did not start): the user reads "Foutje".
struct RunAbandoned : std::exception {
    const char* what() const noexcept override { return "Foutje"; }
};

// A clean-up step of a failed run that fails too must not hide the first error.
template <typename F>
void passOver(F&& f) {
    try {
        f();
    } catch (const std::exception&) {
    }
}

// The application the export works in; error 91 before one was started.
ExcelApplication& excelApp(Session& s) {
    if (!s.exl.ExcelApp) throw RuntimeError(91);
    return *s.exl.ExcelApp;
}

}  // namespace

ExportRun::ExportRun(Session& s, std::string functionName, int db)
    : s_(s),
      functionName_(std::move(functionName)),
      db_(db),
      rowsNotWrittenBefore_(s.exl.rowsNotWritten()),
      unreadableHistoryBefore_(s.waardering.objectsWithUnreadableHistory()) {}

void ExportRun::done() {
    // A workbook is kept only from a file that passed its integrity check,
    // which has run beside the export so far.
    if (SqliteConnection* c = connection()) c->awaitSound();
    const long lost = s_.exl.rowsNotWritten() - rowsNotWrittenBefore_;
    if (lost > 0) s_.alg.AddMelding(rowsNotWrittenLine(lost));
    const long unreadable = s_.waardering.objectsWithUnreadableHistory() - unreadableHistoryBefore_;
    if (unreadable > 0) s_.alg.AddMelding(unreadableHistoryLine(unreadable), 0, false, kRed);
    s_.alg.AddMelding("Done");
}

std::string rowsNotWrittenLine(long rows) { return std::to_string(rows) + " rijen niet weggeschreven"; }
std::string unreadableHistoryLine(long objects) {
    return std::to_string(objects) + " objecten met onleesbare historie";
}

Date timeOfDay(Date d) { return Date{std::fabs(d.serial - std::trunc(d.serial))}; }

bool ExportRun::execute(const std::function<void()>& steps) {
    try {
        // A file already found damaged is not worked through again.
        if (SqliteConnection* c = connection()) c->refuseKnownDamage();
        steps();
        return true;
    } catch (const RunAbandoned& e) {
        failurePath(e.what());
    } catch (const RuntimeError& e) {
        failurePath(e.description() + " (" + std::to_string(e.number()) + ")");
    }
    return false;
}

void ExportRun::failurePath(const std::string& errorText) {
    passOver([&] { ExportSheet(s_).restoreApplication(); });
    passOver([&] { closeQuery(); });
    passOver([&] {
        s_.alg.AddMsgBoxMelding(Variant("De functie '" + functionName_ + "' niet correct beëindigd"),
                                Variant(errorText), vbCritical, false, kBlack, true);
    });
    passOver([&] { closeTables(); });
}

Date ExportRun::processingDate(const ExportRequest& request) {
    if (request.processingDate) return *request.processingDate;
    const Date today{std::trunc(s_.platform.now().serial)};
    if (request.unattended) return FirstOfMonth(today);
    const std::string preset = shortDateText(FirstOfMonth(today));
    // A cancelled question gives the empty answer, which is not a date.
    const auto answer = s_.platform.inputBox("Geef verwerkingsdatum", "Toets in ..", preset, false);
    return cdate(answer.value_or(""));
}

void ExportRun::requireAmounts(const char* table, const char* column) {
    SqliteConnection* c = connection();
    if (!c) return;
    sqlite3* db = c->connection();
    std::string found;
    try {
        const std::string col = sqlite::quoteIdentifier(column);
        auto st = sqlite::prepare(db, "SELECT CAST(" + col + " AS TEXT) FROM " + sqlite::quoteIdentifier(table) +
                                          " WHERE typeof(" + col + ") IN ('text', 'blob') LIMIT 1");
        if (!sqlite::step(db, st.get())) return;
        found = sqlite::columnText(st.get(), 0);
    } catch (const sqlite::Failure&) {
        return;  // a table or column that is not there: the export's query says so
    }
    // Any bytes as characters, and no more of them than a message line holds.
    std::u32string shown = utf8ToU32(found);
    if (shown.size() > 40) shown.resize(40);
    throw RuntimeError(
        13, jet::kSourceDatabase,
        runtimeErrorDescription(13) + ": " + table + "." + column + " bevat '" + u32ToUtf8(shown) + "', geen bedrag");
}

int ExportRun::openRecordset(const std::string& source, int type, bool isQuery) {
    const int slot = s_.dbase.OpenRecordset(db_, source, type, true, true, false);
    if (slot < 0) throw RunAbandoned{};
    if (isQuery) {
        rsQuery_ = slot;
    } else {
        assert(tablesOpened_ < 2 && "an export opens at most two tables besides its query");
        rsTables_[tablesOpened_++] = slot;
    }
    return slot;
}

ExportSheet ExportRun::startWorkbook(const std::string& sheetName) {
    s_.alg.AddMelding("Excel wordt opgestart");
    if (!s_.exl.ExcelStart(true, true, Variant(""), true)) throw RunAbandoned{};
    s_.alg.AddMelding("Excel is opgestart");
    s_.exl.NewWorkbook(true);
    ExcelApplication& app = excelApp(s_);
    app.Interactive(s_.main.Testmode);
    app.DisplayAlerts(false);
    app.ScreenUpdating(s_.main.Testmode);
    // Reduce the new workbook to one sheet: sheet 3, then sheet 2; a fourth
    // and later sheets of a larger default workbook stay.
    if (app.Sheets().Count() >= 3) {
        app.Sheets()(Variant(std::int32_t{3})).Select();
        app.ActiveWindow().SelectedSheets().Delete();
    }
    if (app.Sheets().Count() >= 2) {
        app.Sheets()(Variant(std::int32_t{2})).Select();
        app.ActiveWindow().SelectedSheets().Delete();
    }
    app.Sheets()(Variant(std::int32_t{1})).Select();
    app.Sheets()(Variant(std::int32_t{1})).Name(sheetName);
    return ExportSheet(s_);
}

void ExportRun::forEachRecord(Recordset& rs, const std::function<void(const Recordset&)>& body) {
    // The query's records and the history read for them come from one state
    // of the database, however long the export takes.
    std::optional<SqliteConnection::ReadTransaction> snapshot;
    if (SqliteConnection* c = connection()) snapshot.emplace(*c);
    if (!rs.Eof()) {
        rs.MoveLast();
        rs.MoveFirst();
    }
    const long total = rs.RecordCount();
    long done = 0;
    while (!rs.Eof()) {
        if (const auto why = s_.platform.stopReason()) throw jet::cancelled(*why);
        body(rs);
        progress(++done, total);
        rs.MoveNext();
    }
}

SqliteConnection* ExportRun::connection() {
    if (db_ < 1 || db_ > Dbase::kMaxDatabases || !s_.dbase.DbOpen(db_)) return nullptr;
    SqliteConnection* c = s_.dbase.DbObject(db_);
    return c && c->isOpen() ? c : nullptr;
}

void ExportRun::progress(long done, long total) {
    // A bounded number of updates, whatever the size of the administration.
    const long step = std::max(1L, total / 200);
    if (done != total && done - lastReported_ < step) return;
    lastReported_ = done;
    s_.platform.progress(functionName_, done, total);
}

void ExportRun::closeQuery() {
    if (rsQuery_ > 0) {
        const int slot = rsQuery_;
        rsQuery_ = 0;  // closed once, also when a later step fails
        s_.dbase.CloseRecordset(db_, slot);
    }
}

void ExportRun::closeTables() {
    for (int& slot : rsTables_) {
        if (slot > 0) {
            const int s = slot;
            slot = 0;
            s_.dbase.CloseRecordset(db_, s);
        }
    }
}

void ExportSheet::writeBlock(const VariantArray& block) {
    s_.exl.WriteArray(Variant(std::int32_t{1}), Variant(std::int32_t{1}), block);
}

void ExportSheet::writeRow(long row, const VariantArray& values) {
    s_.exl.WriteArrayRows(Variant(static_cast<std::int32_t>(row)), values);
}

void ExportSheet::bold(const std::string& range) {
    ExcelApplication& app = excelApp(s_);
    app.Range(range).Select();
    app.Selection().Font().FontStyle("Vet");
}

void ExportSheet::numberFormat(const std::string& range, const std::string& format) {
    ExcelApplication& app = excelApp(s_);
    app.Range(range).Select();
    app.Selection().NumberFormat(format);
}

void ExportSheet::columnWidth(const std::string& columns, double width) {
    excelApp(s_).Columns(columns).ColumnWidth(width);
}

void ExportSheet::autoFit(const std::string& columns) {
    ExcelApplication& app = excelApp(s_);
    app.Columns(columns).Select();
    app.Selection().Columns().AutoFit();
}

void ExportSheet::select(const std::string& range) { excelApp(s_).Range(range).Select(); }

void ExportSheet::restoreApplication() {
    ExcelApplication& app = excelApp(s_);
    app.DisplayAlerts(true);
    app.Interactive(true);
    app.ScreenUpdating(true);
}

}  // namespace zelk
