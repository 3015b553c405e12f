#pragma once
// The program's own spreadsheet application, in process. It offers the
// members the exports drive (Workbooks.Add/Open, ActiveWorkbook, Sheets,
// ActiveWindow.SelectedSheets.Delete, Range, Cells, Columns, Selection,
// Visible, Interactive, DisplayAlerts, ScreenUpdating, Name) with the same
// effects; finished workbooks are written to .xlsx by the writer.
//
// Instances: ExcelInstances plays the desktop's table of running
// applications. start() starts one more; running() gives the most recently
// started one that has not quit.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/variant.h"
#include "spreadsheet/range.h"
#include "spreadsheet/workbook.h"

namespace zelk {

class Platform;
class ExcelApplication;
class ExcelInstances;

// Application.Workbooks.
class WorkbookList {
public:
    explicit WorkbookList(ExcelApplication& app) : app_(&app) {}
    long Count() const;
    // A new workbook ("Map1", "Map2", ...) that becomes the active one.
    // Without a template it has SheetsInNewWorkbook sheets "Blad1"...; the
    // template -4167 (a worksheet) gives one sheet; a text opens that .xlsx
    // file as the pattern of the new workbook.
    Workbook& Add(const std::optional<Variant>& Template = std::nullopt);
    // Opens an .xlsx file (the name as given, blanks included) and makes it
    // the active workbook; a file already open is only activated. Error 1004
    // when the file cannot be read.
    Workbook& Open(const std::string& fileName);
    // By number (1 = first) or by name without regard to case; error 9 when missing.
    Workbook& operator()(const Variant& indexOrName) const;

private:
    ExcelApplication* app_;
};

class ExcelApplication {
public:
    ExcelApplication(Platform& platform, ExcelInstances* registry, int instanceNumber);
    ExcelApplication(const ExcelApplication&) = delete;
    ExcelApplication& operator=(const ExcelApplication&) = delete;

    std::string Name() const;
    bool Visible() const { return visible_; }
    void Visible(bool v) { visible_ = v; }
    bool Interactive() const { return interactive_; }
    void Interactive(bool v) { interactive_ = v; }
    bool DisplayAlerts() const { return displayAlerts_; }
    void DisplayAlerts(bool v) { displayAlerts_ = v; }
    bool ScreenUpdating() const { return screenUpdating_; }
    void ScreenUpdating(bool v) { screenUpdating_ = v; }
    long SheetsInNewWorkbook() const { return sheetsInNewWorkbook_; }
    void SheetsInNewWorkbook(long n);  // 1..255, else error 1004
    ExcelApplication& Application() { return *this; }

    WorkbookList Workbooks() { return WorkbookList(*this); }
    // Error 91 when no workbook is open.
    Workbook& ActiveWorkbook();
    // The members below act on the active workbook and its active sheet.
    SheetList Sheets();
    Window ActiveWindow();
    Worksheet& ActiveSheet();
    zelk::Range Cells(long row, long column);
    zelk::Range Range(const std::string& address);
    zelk::Range Range(const zelk::Range& first, const zelk::Range& last);
    zelk::Range Columns(const std::string& address);
    zelk::Range Selection();

    // Ends the application: the desktop no longer finds it as running.
    void Quit();

    Platform& platform() { return *platform_; }
    // Workbooks in the order they were opened.
    const std::vector<std::shared_ptr<Workbook>>& books() const { return books_; }
    void activateBook(Workbook& book);
    Workbook& adopt(std::shared_ptr<Workbook> book);
    std::string nextBookName() { return "Map" + std::to_string(++bookCounter_); }

private:
    std::shared_ptr<Worksheet> activeSheetPtr();

    Platform* platform_;
    ExcelInstances* registry_;
    int instanceNumber_;
    bool visible_ = false;
    bool interactive_ = true;
    bool displayAlerts_ = true;
    bool screenUpdating_ = true;
    long sheetsInNewWorkbook_ = 3;
    int bookCounter_ = 0;
    std::vector<std::shared_ptr<Workbook>> books_;
    Workbook* active_ = nullptr;
};

class ExcelInstances {
public:
    // CreateObject: a new, invisible instance.
    std::shared_ptr<ExcelApplication> start(Platform& platform);
    // GetObject: the most recently started instance that has not quit;
    // error 429 when none runs.
    std::shared_ptr<ExcelApplication> running() const;
    std::size_t count() const { return running_.size(); }
    void quit(const ExcelApplication& app);

private:
    std::vector<std::shared_ptr<ExcelApplication>> running_;
    int started_ = 0;
};

}  // namespace zelk
