#pragma once
// One sheet of a workbook: its cells (a vector of compact cells per row),
// its columns' widths and formats, and its selection. The rows a large sheet
// gains at its end go to a spool file instead of memory; anything but adding
// rows, formatting whole columns, fitting and saving brings them back.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/variant.h"
#include "spreadsheet/cell_address.h"
#include "spreadsheet/cell_store.h"

namespace zelk {

class Workbook;
class VariantArray;
class RowSpool;

// The width the application gives a column nobody sized, in characters of
// the standard font.
constexpr double kStandardColumnWidth = 8.43;

// Bold on or off, or a number format, as a change of a cell's style.
struct StyleChange {
    bool isBold = false;
    bool bold = false;
    std::uint32_t format = 0;
    std::uint16_t apply(StyleTable& styles, std::uint16_t style) const;
};

struct ColumnInfo {
    double width = -1.0;  // < 0: the standard width
    std::uint16_t style = 0;
};

class Worksheet {
public:
    Worksheet(Workbook& book, std::string name);
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    // Rows added below this many rows go to the spool (for every sheet made
    // afterwards too); tests lower it to run the spool on small sheets.
    static void setSpoolAfterRows(std::size_t rows);
    static std::size_t spoolAfterRows();

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
    const std::vector<std::vector<Cell>>& rows() const;
    // Every row in order (rows without cells may be passed as empty), with
    // the pool its string cells point into. Reads the spool without
    // bringing it back.
    using RowVisitor = std::function<void(long row, const std::vector<Cell>& cells, const StringPool& strings)>;
    void forEachRow(const RowVisitor& visit) const;
    Variant value(long row, long col) const;
    // Assign a whole array to an area in one step. The array's shape must
    // match the area (a 1-D array counts as one row); every value is checked
    // before any cell changes, so a failure leaves the sheet as it was.
    void assign(const Area& area, const VariantArray& values);
    void fill(const Area& area, const Variant& value);
    // The text a cell shows, with its number format applied.
    std::string displayText(const Cell& c) const;
    std::string displayText(const Cell& c, const StringPool& strings) const;

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
    // A whole-column change made while rows were spooled: it applies to the
    // first `rows` spooled rows when they are read.
    struct PendingChange {
        long col1, col2;
        std::size_t rows;
        StyleChange change;
    };

    // A string cell's text goes to `text`; the cell does not refer to it yet.
    Cell makeCell(const Variant& v, std::uint16_t style, std::string& text);
    std::uint16_t columnStyle(long col) const;
    ColumnInfo& columnInfo(long col);
    void restyle(const Area& area, const StyleChange& change);
    bool spooling() const;
    bool appendsToSpool(const Area& area) const;
    void spoolRow(const Area& area, std::vector<Cell>&& converted, std::vector<std::string>&& texts);
    // Spooled rows back in memory, when any row from `row` on is spooled.
    void bringBack(long fromRow = 1) const;
    std::uint16_t spooledStyle(std::size_t index, long col, std::uint16_t style) const;
    // The width a cell's text needs; 0 when it shows nothing.
    double fittedWidth(const Cell& cell, const StringPool& strings) const;

    Workbook* book_;
    std::string name_;
    bool deleted_ = false;
    // The spool is how the rows are stored, not what they are: reading a
    // spooled cell brings the rows back, also through a const sheet.
    mutable std::vector<std::vector<Cell>> rows_;  // index row - 1, then column - 1
    mutable std::unique_ptr<RowSpool> spool_;      // rows after rows_, in order
    mutable std::vector<PendingChange> pending_;
    std::vector<ColumnInfo> columns_;  // index column - 1
    Area selection_{1, 1, 1, 1};
};

}  // namespace zelk
