#pragma once
// One sheet of a workbook: its cells (a vector of compact cells per row),
// its columns' widths and formats, and its selection.

#include <memory>
#include <string>
#include <vector>

#include "runtime/variant.h"
#include "spreadsheet/cell_address.h"
#include "spreadsheet/cell_store.h"

namespace zelk {

class Workbook;
class VariantArray;

// The width the application gives a column nobody sized, in characters of
// the standard font.
constexpr double kStandardColumnWidth = 8.43;

struct ColumnInfo {
    double width = -1.0;  // < 0: the standard width
    std::uint16_t style = 0;
};

class Worksheet {
public:
    Worksheet(Workbook& book, std::string name);

    const std::string& Name() const { return name_; }
    // Renaming follows the application's rules: 1 to 31 characters, none of
    // : \ / ? * [ ], no apostrophe at either end, unique in the workbook
    // without regard to case. Anything else is error 1004.
    void Name(const std::string& newName);
    // Select makes this the only selected sheet and the active one.
    void Select();
    void Activate();
    Workbook& Parent() const { return *book_; }
    bool deleted() const { return deleted_; }
    void markDeleted() { deleted_ = true; }

    // --- cells
    const Cell* find(long row, long col) const;
    // The cell, created when missing; a new cell takes its column's format.
    Cell& cell(long row, long col);
    const std::vector<std::vector<Cell>>& rows() const { return rows_; }
    Variant value(long row, long col) const;
    // Assign a whole array to an area in one step. The array's shape must
    // match the area (a 1-D array counts as one row); every value is checked
    // before any cell changes, so a failure leaves the sheet as it was.
    void assign(const Area& area, const VariantArray& values);
    void fill(const Area& area, const Variant& value);
    // The text a cell shows, with its number format applied.
    std::string displayText(const Cell& c) const;

    // --- formats and columns
    void setBold(const Area& area, bool bold);
    bool bold(long row, long col) const;
    void setNumberFormat(const Area& area, const std::string& code);
    std::string numberFormat(long row, long col) const;
    void setColumnWidth(long col1, long col2, double width);
    double columnWidth(long col) const;  // in characters; 0 when hidden
    // Fit each column of the area to the widest text its cells in the
    // area's rows show; a column with nothing to show keeps its width.
    void autoFit(const Area& area);
    const std::vector<ColumnInfo>& columns() const { return columns_; }

    const Area& selection() const { return selection_; }
    void setSelection(const Area& a) { selection_ = a; }

private:
    Cell makeCell(const Variant& v, std::uint16_t style);
    std::uint16_t columnStyle(long col) const;
    ColumnInfo& columnInfo(long col);
    template <class F>
    void restyle(const Area& area, F&& change);

    Workbook* book_;
    std::string name_;
    bool deleted_ = false;
    std::vector<std::vector<Cell>> rows_;  // index row - 1, then column - 1
    std::vector<ColumnInfo> columns_;      // index column - 1
    Area selection_{1, 1, 1, 1};
};

}  // namespace zelk
