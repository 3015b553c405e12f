#pragma once
// What a cell shows: its value rendered with its number format, as far as
// the exports' formats need ("##0_-", "#,##0.00", "D-MMM-YYYY", "h:mm:ss",
// "d-m-yyyy"), and the width that text takes in the standard font. Auto-fit
// is computed from these.

#include <string>

#include "spreadsheet/cell_store.h"

namespace zelk {

// Formats a date value gets when its cell has none: a time of day alone, a
// day alone, or both.
constexpr const char* kDefaultDateFormat = "d-m-yyyy";
constexpr const char* kDefaultTimeFormat = "h:mm:ss";
constexpr const char* kDefaultDateTimeFormat = "d-m-yyyy h:mm:ss";
// Format a Currency value gets when its cell has none.
constexpr const char* kDefaultCurrencyFormat = "#,##0.00";

const char* defaultDateFormatFor(double serial);

// True when the code shows dates or times (d, m, y, h, s outside quotes).
bool isDateFormat(const std::string& code);

// The text of a number under a format code (Dutch separators: "." for
// thousands, "," for decimals). An empty code is General.
std::string formatCellNumber(double value, const std::string& code);

// The shown text of a cell.
std::string cellDisplayText(const Cell& c, const std::string& code, const StringPool& strings);

// Column width (characters of the standard font) that shows `text` whole.
double fittedColumnWidth(const std::string& text, bool bold);

}  // namespace zelk
