#pragma once
// A workbook of the in-process spreadsheet application: its sheets in order,
// which of them are selected and active, and the texts and formats its cells
// share.

#include <memory>
#include <string>
#include <vector>

#include "runtime/variant.h"
#include "spreadsheet/cell_store.h"
#include "spreadsheet/worksheet.h"

namespace zelk {

class ExcelApplication;
class Workbook;

// Workbook.Sheets / Application.Sheets.
class SheetList {
public:
    explicit SheetList(Workbook& book) : book_(&book) {}
    long Count() const;
    // By number (1 = first) or by name without regard to case; error 9 when
    // there is no such sheet.
    Worksheet& operator()(const Variant& indexOrName) const;

private:
    Workbook* book_;
};

// ActiveWindow.SelectedSheets.
class SelectedSheets {
public:
    explicit SelectedSheets(Workbook& book) : book_(&book) {}
    long Count() const;
    // Deletes the selected sheets. With DisplayAlerts on the user is asked
    // first; False when the user declines. A workbook keeps at least one
    // sheet: deleting them all is error 1004.
    bool Delete();

private:
    Workbook* book_;
};

class Window {
public:
    explicit Window(Workbook& book) : book_(&book) {}
    zelk::SelectedSheets SelectedSheets() const { return zelk::SelectedSheets(*book_); }

private:
    Workbook* book_;
};

class Workbook {
public:
    Workbook(ExcelApplication& app, std::string name);

    const std::string& Name() const { return name_; }
    // The file the workbook was opened from or last saved to ("" when never saved).
    const std::string& FullName() const { return fullName_; }
    void setSaved(const std::string& fullName, const std::string& name);
    void Activate();
    SheetList Sheets() { return SheetList(*this); }
    Window ActiveWindow() { return Window(*this); }
    Worksheet& ActiveSheet();
    const Worksheet* activeSheet() const { return active_; }
    ExcelApplication& Application() const { return *app_; }

    // Adds a sheet at the end (it does not become active).
    Worksheet& addSheet(const std::string& name);
    const std::vector<std::shared_ptr<Worksheet>>& sheets() const { return sheets_; }
    std::shared_ptr<Worksheet> sheetPtr(const Worksheet& ws) const;
    const std::vector<Worksheet*>& selectedSheets() const { return selected_; }
    void selectOnly(Worksheet& ws);
    void activateSheet(Worksheet& ws);
    bool deleteSelectedSheets();
    // Error 1004 unless `name` may name `ws` (see Worksheet::Name).
    void checkSheetName(const std::string& name, const Worksheet* ws) const;

    StringPool& strings() { return strings_; }
    const StringPool& strings() const { return strings_; }
    StyleTable& styles() { return styles_; }
    const StyleTable& styles() const { return styles_; }

private:
    ExcelApplication* app_;
    std::string name_;
    std::string fullName_;
    std::vector<std::shared_ptr<Worksheet>> sheets_;
    std::vector<Worksheet*> selected_;
    Worksheet* active_ = nullptr;
    StringPool strings_;
    StyleTable styles_;
};

}  // namespace zelk
