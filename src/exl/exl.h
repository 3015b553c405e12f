#pragma once
// Module Exl: the program's one reference to the spreadsheet application
// (ExcelApp), starting it and making workbooks, and the block writers that
// put a whole array of values into the active sheet in one assignment.

#include <memory>
#include <optional>

#include "runtime/variant.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/variant_array.h"

namespace zelk {

class Alg;

class Exl {
public:
    Exl(Alg& alg, ExcelInstances& instances);

    // Empty until the first ExcelStart; never released.
    std::shared_ptr<ExcelApplication> ExcelApp;

    // True when the application is reached, passes ExcelCheck and has been
    // made (in)visible. Reports nothing itself.
    bool ExcelStart(bool Visible, bool NewInstance, const Variant& WorkbookFile, bool ShowErrors);
    // Replaces App by the running instance and probes it. A failure is shown
    // as "Fout:<number>" (information) when ShowErrors.
    bool ExcelCheck(std::shared_ptr<ExcelApplication>& App, bool RequireSheets, bool ShowErrors);
    // The name of the new active workbook; Empty after a failure, which is
    // shown as "Fout=<number>. Functie Nieuw Workbook" (critical).
    Variant NewWorkbook(bool Activate, const std::optional<Variant>& Template = std::nullopt);

    // Brings a workbook (when given and not empty) and its sheet to the front.
    // Failures pass to the caller.
    bool SelectSheet(const Variant& Sheet, const std::optional<Variant>& Workbook = std::nullopt);
    // A 2-D block at (Row, Column), shifted by each lower bound - 1. Any
    // failure returns False without a word.
    bool WriteArray(const Variant& Row, const Variant& Column, const VariantArray& Values,
                    const std::optional<Variant>& Sheet = std::nullopt,
                    const std::optional<Variant>& Workbook = std::nullopt);
    // A 1-D array into row Row, columns lbound + ColumnOffset to ubound +
    // ColumnOffset. A failure adds the line "<number> - <description>"; a
    // scratch file that fails (ScratchSpaceError) is thrown on instead.
    bool WriteArrayRows(const Variant& Row, const VariantArray& Values,
                        const std::optional<Variant>& Sheet = std::nullopt,
                        const std::optional<Variant>& Workbook = std::nullopt,
                        const Variant& ColumnOffset = Variant(std::int32_t{0}));

    // Rows WriteArrayRows could not write since the program started.
    long rowsNotWritten() const { return rowsNotWritten_; }

private:
    Alg& alg_;
    ExcelInstances& instances_;
    long rowsNotWritten_ = 0;
};

}  // namespace zelk
