#include "exports/export_run.h"

#include <cmath>

#include "database/dbase.h"
#include "messages/datum_routines.h"
#include "runtime/dates.h"
#include "shell/session.h"
#include "spreadsheet/variant_array.h"

namespace zelk {
namespace {

// Ends a run whose failure has no runtime error behind it (a recordset that
// did not open, a spreadsheet that did not start): the user reads "Foutje".
struct RunAbandoned {};

template <typename F>
void passOver(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

}  // namespace

Date timeOfDay(Date d) { return Date{std::fabs(d.serial - std::trunc(d.serial))}; }

bool ExportRun::execute(const std::function<void()>& steps) {
    try {
        steps();
        return true;
    } catch (const RunAbandoned&) {
        failurePath("Foutje");
    } catch (const RuntimeError& e) {
        failurePath(e.description() + " (" + std::to_string(e.number()) + ")");
    }
    return false;
}

void ExportRun::failurePath(const std::string& errorText) {
    passOver([&] { ExportSheet(s_).restoreApplication(); });
    passOver([&] { closeQuery(); });
    passOver([&] {
        s_.alg.AddMsgBoxMelding(Variant("De functie '" + functionName_ + "' niet correct beëindigd"), Variant(errorText),
                                vbCritical, false, kBlack, true);
    });
    passOver([&] { closeTables(); });
}

Date ExportRun::askProcessingDate() {
    const Date today{std::trunc(s_.platform.now().serial)};
    const std::string preset = shortDateText(FirstOfMonth(Variant(today)).toDate());
    if (s_.unattended) return cdate(preset);
    // A cancelled question gives the empty answer, which is not a date.
    const auto answer = s_.platform.inputBox("Geef verwerkingsdatum", "Toets in ..", preset, false);
    return cdate(answer.value_or(""));
}

int ExportRun::openRecordset(const std::string& source, int type, bool isQuery) {
    const int slot = s_.dbase.OpenRecordset(db_, source, type, true, true, false);
    if (slot < 0) throw RunAbandoned{};
    if (isQuery) rsQuery_ = slot;
    else rsTables_[tablesOpened_++] = slot;
    return slot;
}

ExportSheet ExportRun::startWorkbook(const std::string& sheetName) {
    s_.alg.AddMelding("Excel wordt opgestart");
    if (!s_.exl.ExcelStart(true, true, Variant(""), true)) throw RunAbandoned{};
    s_.alg.AddMelding("Excel is opgestart");
    s_.exl.NewWorkbook(true);
    ExcelApplication& app = s_.exl.app();
    app.setInteractive(s_.main.Testmode);
    app.setDisplayAlerts(false);
    app.setScreenUpdating(s_.main.Testmode);
    // Reduce the new workbook to one sheet: sheet 3, then sheet 2; a fourth
    // and later sheets of a larger default workbook stay.
    if (app.Sheets().Count() >= 3) {
        app.Sheets(3).Select();
        app.ActiveWindow().SelectedSheets().Delete();
    }
    if (app.Sheets().Count() >= 2) {
        app.Sheets(2).Select();
        app.ActiveWindow().SelectedSheets().Delete();
    }
    app.Sheets(1).Select();
    app.Sheets(1).setName(sheetName);
    return ExportSheet(s_);
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

void ExportSheet::writeBlock(const VariantArray& block) { s_.exl.WriteArray(1, 1, block); }

void ExportSheet::writeRow(long row, const VariantArray& values) { s_.exl.WriteArrayRows(row, values, 0); }

void ExportSheet::bold(const std::string& range) {
    ExcelApplication& app = s_.exl.app();
    app.Range(range).Select();
    app.Selection().Font().setFontStyle("Vet");
}

void ExportSheet::numberFormat(const std::string& range, const std::string& format) {
    ExcelApplication& app = s_.exl.app();
    app.Range(range).Select();
    app.Selection().setNumberFormat(format);
}

void ExportSheet::columnWidth(const std::string& columns, double width) {
    s_.exl.app().Columns(columns).setColumnWidth(width);
}

void ExportSheet::autoFit(const std::string& columns) {
    ExcelApplication& app = s_.exl.app();
    app.Columns(columns).Select();
    app.Selection().Columns().AutoFit();
}

void ExportSheet::select(const std::string& range) { s_.exl.app().Range(range).Select(); }

void ExportSheet::restoreApplication() {
    ExcelApplication& app = s_.exl.app();
    app.setDisplayAlerts(true);
    app.setInteractive(true);
    app.setScreenUpdating(true);
}

}  // namespace zelk
