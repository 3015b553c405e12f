#pragma once
// Reads an .xlsx workbook back into the application (Workbooks.Open): the
// sheets in order with their names, every cell's value (text, number, date,
// Boolean), bold cells, number formats and column widths. Formulas come in
// as their last computed value; charts, merged cells, colours and other
// decoration are not read.

#include <memory>
#include <string>

namespace zelk {

class ExcelApplication;
class Workbook;

// Runtime error 1004 with the reason when the file cannot be read as a workbook.
std::shared_ptr<Workbook> readXlsx(ExcelApplication& app, const std::string& path, const std::string& bookName);

}  // namespace zelk
