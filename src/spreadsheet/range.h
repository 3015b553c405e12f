#pragma once
// A range of cells of one sheet: Range("A1:BA4"), Cells(r, c),
// Columns("A:AI"), the Selection. A light handle; the sheet owns the cells.

#include <memory>
#include <string>

#include "runtime/variant.h"
#include "spreadsheet/cell_address.h"

namespace zelk {

class Worksheet;
class VariantArray;
class Range;

// Range.Font.
class Font {
public:
    explicit Font(std::shared_ptr<Worksheet> ws, Area a) : ws_(std::move(ws)), area_(a) {}
    // "Vet" (or "Bold") makes the text bold, "Standaard" (or "Regular") plain;
    // another style name is error 1004.
    void FontStyle(const std::string& style);
    std::string FontStyle() const;  // of the first cell
    void Bold(bool bold);
    bool Bold() const;

private:
    std::shared_ptr<Worksheet> ws_;
    Area area_;
};

class Range {
public:
    Range(std::shared_ptr<Worksheet> ws, Area a, bool columnView = false);

    const std::shared_ptr<zelk::Worksheet>& sheet() const { return ws_; }
    const Area& area() const { return area_; }
    std::string Address() const { return areaAddress(area_); }
    long Row() const { return area_.row1; }
    long Column() const { return area_.col1; }

    // Selects the range; its sheet must be the active one (error 1004).
    void Select() const;
    // Only single-area ranges exist here: Areas(1) is the range itself.
    Range Areas(long index) const;

    // Range.Value = array: the whole array in one assignment.
    void Value(const VariantArray& values) const;
    // Range.Value = value: every cell of the range.
    void Value(const Variant& value) const;
    // The value of the range's first cell.
    Variant Value() const;

    zelk::Font Font() const { return zelk::Font(ws_, area_); }
    void NumberFormat(const std::string& code) const;
    std::string NumberFormat() const;  // of the first cell
    void ColumnWidth(double width) const;
    double ColumnWidth() const;  // of the first column
    // The range seen as its columns (Selection.Columns), for AutoFit.
    Range Columns() const { return Range(ws_, area_, true); }
    // Fits the columns of a column view or of whole columns; error 1004 on a
    // plain block of cells, as in the application.
    void AutoFit() const;

private:
    std::shared_ptr<zelk::Worksheet> ws_;
    Area area_;
    bool columnView_;
};

}  // namespace zelk
