#include "exl/exl.h"

#include "runtime/text.h"

#include <exception>
#include <new>

#include "messages/alg.h"
#include "platform/platform.h"
#include "runtime/runtime_error.h"
#include "runtime/spool_file.h"

namespace zelk {
namespace {

// The error a failing step leaves behind, as a runtime error.
RuntimeError pendingError(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const RuntimeError& r) {
        return r;
    } catch (const std::bad_alloc&) {
        return RuntimeError(7);
    } catch (const std::exception& x) {
        return RuntimeError(1004, "Werkmap", x.what());
    }
}

// Sheet positions are computed in 64 bits so that a huge bound is an
// address outside the sheet, not an overflow.
long long whole(const Variant& v) { return static_cast<long long>(v.toLong()); }

long checkedCell(long long v, long max) {
    if (v < 1 || v > max) throw RuntimeError(1004, "Werkmap", "Door toepassing of object gedefinieerde fout");
    return static_cast<long>(v);
}

}  // namespace

Exl::Exl(Alg& alg, ExcelInstances& instances) : alg_(alg), instances_(instances) {}

bool Exl::ExcelStart(bool Visible, bool NewInstance, const Variant& WorkbookFile, bool ShowErrors) {
    // Through a creation every failure ends the start; attached to a running
    // instance, failures of the steps after the lookup are passed over.
    bool created = false;
    try {
        if (NewInstance) {
            ExcelApp = instances_.start(alg_.platform());
            created = true;
        } else {
            try {
                ExcelApp = instances_.running();
            } catch (const RuntimeError&) {
                ExcelApp = instances_.start(alg_.platform());
                created = true;
            }
        }
    } catch (const std::exception&) {
        return false;
    }
    try {
        const std::string file = WorkbookFile.toString();
        if (!trimBlanks(file).empty()) ExcelApp->Workbooks().Open(file);
    } catch (const std::exception&) {
        if (created) return false;
    }
    if (!ExcelCheck(ExcelApp, false, ShowErrors)) return false;
    try {
        ExcelApp->Visible(Visible);
    } catch (const std::exception&) {
        if (created) return false;
    }
    return true;
}

bool Exl::ExcelCheck(std::shared_ptr<ExcelApplication>& App, bool RequireSheets, bool ShowErrors) {
    bool result = true;
    // Every step runs; a failure only leaves its error pending, so a failed
    // lookup fails the check even when the old reference still answers.
    std::optional<RuntimeError> pending;
    try {
        App = instances_.running();
    } catch (const std::exception&) {
        pending = pendingError(std::current_exception());
    }
    try {
        if (!App) throw RuntimeError(91);
        (void)App->Name();
    } catch (const std::exception&) {
        pending = pendingError(std::current_exception());
    }
    if (pending) {
        result = false;
    } else if (RequireSheets) {
        try {
            if (App->Application().Sheets().Count() == 0) result = false;
        } catch (const std::exception&) {
            pending = pendingError(std::current_exception());
        }
    }
    if (pending) {
        if (ShowErrors)
            alg_.AddMsgBoxMelding(pending->description(), "Fout:" + std::to_string(pending->number()), vbInformation,
                                  false, 0, true);
        result = false;
    }
    return result;
}

Variant Exl::NewWorkbook(bool Activate, const std::optional<Variant>& Template) {
    try {
        if (!ExcelApp) throw RuntimeError(91);
        ExcelApp->Workbooks().Add(Template);
        if (Activate) ExcelApp->ActiveWorkbook().Activate();
        return Variant(ExcelApp->ActiveWorkbook().Name());
    } catch (const std::exception&) {
        const RuntimeError e = pendingError(std::current_exception());
        alg_.AddMsgBoxMelding(e.description(), "Fout=" + std::to_string(e.number()) + ". Functie Nieuw Workbook",
                              vbCritical, false, 0, true);
        return Variant();
    }
}

bool Exl::SelectSheet(const Variant& Sheet, const std::optional<Variant>& Workbook) {
    if (!ExcelApp) throw RuntimeError(91);
    if (Workbook && !Workbook->isEmpty() && !(Workbook->isString() && Workbook->str().empty()))
        ExcelApp->Workbooks()(*Workbook).Activate();
    ExcelApp->ActiveWorkbook().Sheets()(Sheet).Activate();
    return true;
}

bool Exl::WriteArray(const Variant& Row, const Variant& Column, const VariantArray& Values,
                     const std::optional<Variant>& Sheet, const std::optional<Variant>& Workbook) {
    try {
        const long long firstRow = whole(Row) + Values.lbound(1) - 1;
        const long long lastRow = whole(Row) + Values.ubound(1) - 1;
        const long long firstCol = whole(Column) + Values.lbound(2) - 1;
        const long long lastCol = whole(Column) + Values.ubound(2) - 1;
        if (Sheet) SelectSheet(*Sheet, Workbook);
        if (!ExcelApp) throw RuntimeError(91);
        const Range first = ExcelApp->Cells(checkedCell(firstRow, kMaxRows), checkedCell(firstCol, kMaxColumns));
        const Range last = ExcelApp->Cells(checkedCell(lastRow, kMaxRows), checkedCell(lastCol, kMaxColumns));
        ExcelApp->Range(first, last).Select();
        ExcelApp->Selection().Areas(1).Value(Values);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool Exl::WriteArrayRows(const Variant& Row, const VariantArray& Values, const std::optional<Variant>& Sheet,
                         const std::optional<Variant>& Workbook, const Variant& ColumnOffset) {
    try {
        const long long firstCol = Values.lbound(1) + whole(ColumnOffset);
        const long long lastCol = Values.ubound(1) + whole(ColumnOffset);
        if (Sheet) SelectSheet(*Sheet, Workbook);
        if (!ExcelApp) throw RuntimeError(91);
        const long row = checkedCell(whole(Row), kMaxRows);
        const Range first = ExcelApp->Cells(row, checkedCell(firstCol, kMaxColumns));
        const Range last = ExcelApp->Cells(row, checkedCell(lastCol, kMaxColumns));
        ExcelApp->Range(first, last).Select();
        ExcelApp->Selection().Areas(1).Value(Values);
        return true;
    } catch (const ScratchSpaceError&) {
        // Every row after this one would fail the same way: the run fails.
        throw;
    } catch (const std::exception&) {
        const RuntimeError e = pendingError(std::current_exception());
        ++rowsNotWritten_;
        alg_.AddMelding(std::to_string(e.number()) + " - " + e.description(), 0, false, 0);
        return false;
    }
}

}  // namespace zelk
