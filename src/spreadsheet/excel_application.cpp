#include "spreadsheet/excel_application.h"
#include "runtime/text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "runtime/runtime_error.h"
#include "spreadsheet/xlsx_reader.h"

namespace zelk {
namespace {

constexpr long xlWBATWorksheet = -4167;

}  // namespace

long WorkbookList::Count() const { return static_cast<long>(app_->books().size()); }

Workbook& WorkbookList::Add(const std::optional<Variant>& Template) {
    if (!Template || Template->isEmpty()) {
        auto book = std::make_shared<Workbook>(*app_, app_->nextBookName());
        for (long i = 1; i <= app_->SheetsInNewWorkbook(); ++i) book->addSheet("Blad" + std::to_string(i));
        return app_->adopt(std::move(book));
    }
    if (Template->isNumeric()) {
        if (Template->toLong() != xlWBATWorksheet) throw RuntimeError(1004, "Werkmap", "Onbekend type werkmap");
        auto book = std::make_shared<Workbook>(*app_, app_->nextBookName());
        book->addSheet("Blad1");
        return app_->adopt(std::move(book));
    }
    // A file as pattern: its content in a new, unsaved workbook named after it.
    const std::string file = Template->toString();
    const std::string stem = std::filesystem::path(file).stem().string();
    auto book = readXlsx(*app_, file, stem + "1");
    book->setSaved("", stem + "1");
    return app_->adopt(std::move(book));
}

Workbook& WorkbookList::Open(const std::string& fileName) {
    std::error_code ec;
    const auto full = std::filesystem::absolute(fileName, ec);
    const std::string fullName = ec ? fileName : full.string();
    for (const auto& b : app_->books())
        if (!b->FullName().empty() && b->FullName() == fullName) {
            b->Activate();
            return *b;
        }
    auto book = readXlsx(*app_, fileName, std::filesystem::path(fileName).filename().string());
    book->setSaved(fullName, std::filesystem::path(fileName).filename().string());
    return app_->adopt(std::move(book));
}

Workbook& WorkbookList::operator()(const Variant& indexOrName) const {
    const auto& books = app_->books();
    if (!indexOrName.isString()) {
        if (!indexOrName.isNumeric()) throw RuntimeError(13);
        const long i = static_cast<long>(std::nearbyint(indexOrName.toDouble()));
        if (i < 1 || i > static_cast<long>(books.size())) throw RuntimeError(9);
        return *books[static_cast<std::size_t>(i - 1)];
    }
    const std::string name = upperCase(indexOrName.str());
    for (const auto& b : books)
        if (upperCase(b->Name()) == name) return *b;
    throw RuntimeError(9);
}

ExcelApplication::ExcelApplication(Platform& platform, ExcelInstances* registry, int instanceNumber)
    : platform_(&platform), registry_(registry), instanceNumber_(instanceNumber) {}

std::string ExcelApplication::Name() const { return "ZelkExtract Rekenblad"; }

void ExcelApplication::SheetsInNewWorkbook(long n) {
    if (n < 1 || n > 255) throw RuntimeError(1004, "Werkmap", "Aantal bladen moet tussen 1 en 255 liggen");
    sheetsInNewWorkbook_ = n;
}

Workbook& ExcelApplication::ActiveWorkbook() {
    if (!active_) throw RuntimeError(91);
    return *active_;
}

SheetList ExcelApplication::Sheets() {
    if (!active_) throw RuntimeError(1004, "Werkmap", "Er is geen werkmap geopend");
    return active_->Sheets();
}

Window ExcelApplication::ActiveWindow() { return ActiveWorkbook().ActiveWindow(); }

Worksheet& ExcelApplication::ActiveSheet() { return ActiveWorkbook().ActiveSheet(); }

std::shared_ptr<Worksheet> ExcelApplication::activeSheetPtr() {
    Workbook& book = ActiveWorkbook();
    return book.sheetPtr(book.ActiveSheet());
}

zelk::Range ExcelApplication::Cells(long row, long column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        throw RuntimeError(1004, "Werkmap", "Door toepassing of object gedefinieerde fout");
    return zelk::Range(activeSheetPtr(), Area{row, column, row, column});
}

zelk::Range ExcelApplication::Range(const std::string& address) {
    const auto a = parseArea(address);
    if (!a || (a->col1 == a->col2 && a->wholeColumns() && address.find(':') == std::string::npos))
        throw RuntimeError(1004, "Werkmap", "De methode Range is mislukt voor '" + address + "'");
    return zelk::Range(activeSheetPtr(), *a);
}

zelk::Range ExcelApplication::Range(const zelk::Range& first, const zelk::Range& last) {
    if (first.sheet() != last.sheet())
        throw RuntimeError(1004, "Werkmap", "De methode Range is mislukt: cellen van verschillende bladen");
    const Area& a = first.area();
    const Area& b = last.area();
    Area area{std::min(a.row1, b.row1), std::min(a.col1, b.col1), std::max(a.row2, b.row2), std::max(a.col2, b.col2)};
    return zelk::Range(first.sheet(), area);
}

zelk::Range ExcelApplication::Columns(const std::string& address) {
    auto a = parseArea(address);
    if (!a || !a->wholeColumns()) {
        throw RuntimeError(1004, "Werkmap", "Ongeldige kolommen '" + address + "'");
    }
    return zelk::Range(activeSheetPtr(), *a, true);
}

zelk::Range ExcelApplication::Selection() {
    auto ws = activeSheetPtr();
    const Area a = ws->selection();
    return zelk::Range(ws, a, a.wholeColumns());
}

void ExcelApplication::Quit() {
    if (registry_) registry_->quit(*this);
}

void ExcelApplication::activateBook(Workbook& book) {
    for (const auto& b : books_)
        if (b.get() == &book) {
            active_ = &book;
            return;
        }
    throw RuntimeError(1004, "Werkmap", "De werkmap is niet geopend");
}

Workbook& ExcelApplication::adopt(std::shared_ptr<Workbook> book) {
    books_.push_back(std::move(book));
    active_ = books_.back().get();
    return *active_;
}

std::shared_ptr<ExcelApplication> ExcelInstances::start(Platform& platform) {
    running_.push_back(std::make_shared<ExcelApplication>(platform, this, ++started_));
    return running_.back();
}

std::shared_ptr<ExcelApplication> ExcelInstances::running() const {
    if (running_.empty()) throw RuntimeError(429, "ExcelInstances", "Kan geen object maken: er draait geen rekenblad");
    return running_.back();
}

void ExcelInstances::quit(const ExcelApplication& app) {
    std::erase_if(running_, [&](const std::shared_ptr<ExcelApplication>& p) { return p.get() == &app; });
}

}  // namespace zelk
