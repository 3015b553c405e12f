#pragma once
// Sheet coordinates: rows 1..1048576, columns 1..16384 (A..XFD), and the
// A1-style addresses the exports pass to Range and Columns.

#include <optional>
#include <string>

namespace zelk {

constexpr long kMaxRows = 1048576;
constexpr long kMaxColumns = 16384;

// One rectangular area, inclusive. Whole columns run over every row.
struct Area {
    long row1 = 1, col1 = 1, row2 = 1, col2 = 1;
    long rows() const { return row2 - row1 + 1; }
    long columns() const { return col2 - col1 + 1; }
    bool wholeColumns() const { return row1 == 1 && row2 == kMaxRows; }
    bool wholeRows() const { return col1 == 1 && col2 == kMaxColumns; }
    bool contains(long r, long c) const { return r >= row1 && r <= row2 && c >= col1 && c <= col2; }
    friend bool operator==(const Area&, const Area&) = default;
};

// "A" -> 1, "CN" -> 92; nullopt for anything else or past XFD.
std::optional<long> columnNumber(const std::string& letters);
// 1 -> "A", 92 -> "CN".
std::string columnLetters(long column);
// "A1", "CN5" ("$" allowed); nullopt when not a cell inside the sheet.
std::optional<Area> parseCell(const std::string& text);
// "A1", "A1:BA4", "E:E", "AO:BA", "8:8", "E" (a column, for Columns). nullopt when invalid.
std::optional<Area> parseArea(const std::string& text);
// "A1:CN5" (or "A1" for one cell).
std::string areaAddress(const Area& a);

}  // namespace zelk
