#include "spreadsheet/workbook.h"
#include "runtime/text.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/platform.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/excel_application.h"

namespace zelk {
namespace {

// A collection index: a number picks by position, a text by name.
std::optional<long> position(const Variant& v) {
    if (v.isString()) return std::nullopt;
    if (!v.isNumeric()) throw RuntimeError(13);
    const double d = v.toDouble();
    return static_cast<long>(std::nearbyint(d));
}

}  // namespace

long SheetList::Count() const { return static_cast<long>(book_->sheets().size()); }

Worksheet& SheetList::operator()(const Variant& indexOrName) const {
    const auto& sheets = book_->sheets();
    if (auto pos = position(indexOrName)) {
        if (*pos < 1 || *pos > static_cast<long>(sheets.size())) throw RuntimeError(9);
        return *sheets[static_cast<std::size_t>(*pos - 1)];
    }
    const std::string name = upperCase(indexOrName.str());
    for (const auto& ws : sheets)
        if (upperCase(ws->Name()) == name) return *ws;
    throw RuntimeError(9);
}

long SelectedSheets::Count() const { return static_cast<long>(book_->selectedSheets().size()); }

bool SelectedSheets::Delete() { return book_->deleteSelectedSheets(); }

Workbook::Workbook(ExcelApplication& app, std::string name) : app_(&app), name_(std::move(name)) {}

void Workbook::setSaved(const std::string& fullName, const std::string& name) {
    fullName_ = fullName;
    name_ = name;
}

void Workbook::Activate() { app_->activateBook(*this); }

Worksheet& Workbook::ActiveSheet() {
    if (!active_) throw RuntimeError(91);
    return *active_;
}

Worksheet& Workbook::addSheet(const std::string& name) {
    checkSheetName(name, nullptr);
    sheets_.push_back(std::make_shared<Worksheet>(*this, name));
    Worksheet& ws = *sheets_.back();
    if (!active_) {
        active_ = &ws;
        selected_ = {&ws};
    }
    return ws;
}

std::shared_ptr<Worksheet> Workbook::sheetPtr(const Worksheet& ws) const {
    for (const auto& p : sheets_)
        if (p.get() == &ws) return p;
    throw RuntimeError(1004, "Werkmap", "Het blad bestaat niet meer");
}

void Workbook::selectOnly(Worksheet& ws) {
    selected_ = {&ws};
    active_ = &ws;
}

void Workbook::activateSheet(Worksheet& ws) {
    // Activating a sheet outside the selected group selects it alone.
    if (std::find(selected_.begin(), selected_.end(), &ws) == selected_.end()) selected_ = {&ws};
    active_ = &ws;
}

bool Workbook::deleteSelectedSheets() {
    if (selected_.empty()) return false;
    if (selected_.size() >= sheets_.size())
        throw RuntimeError(1004, "Werkmap", "Een werkmap moet ten minste een blad bevatten");
    if (app_->DisplayAlerts()) {
        const int answer =
            app_->platform().msgBox("De geselecteerde bladen worden definitief verwijderd. Wilt u doorgaan?",
                                    vbOKCancel | vbExclamation, app_->Name());
        if (answer != vbOK) return false;
    }
    std::size_t firstGone = sheets_.size();
    for (std::size_t i = 0; i < sheets_.size(); ++i)
        if (std::find(selected_.begin(), selected_.end(), sheets_[i].get()) != selected_.end()) {
            firstGone = std::min(firstGone, i);
            sheets_[i]->markDeleted();
        }
    std::erase_if(sheets_, [](const std::shared_ptr<Worksheet>& ws) { return ws->deleted(); });
    Worksheet* next = sheets_[std::min(firstGone, sheets_.size() - 1)].get();
    selected_ = {next};
    active_ = next;
    return true;
}

void Workbook::checkSheetName(const std::string& name, const Worksheet* ws) const {
    auto fail = [&](const std::string& why) { throw RuntimeError(1004, "Werkmap", why); };
    if (name.empty()) fail("Een bladnaam mag niet leeg zijn");
    // Count characters, not bytes: a name is at most 31 characters long.
    std::size_t chars = 0;
    for (const char c : name) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (chars > 31) fail("Een bladnaam mag hoogstens 31 tekens lang zijn");
    if (name.find_first_of(":\\/?*[]") != std::string::npos)
        fail("Een bladnaam mag geen van de tekens : \\ / ? * [ ] bevatten");
    if (name.front() == '\'' || name.back() == '\'')
        fail("Een bladnaam mag niet met een apostrof beginnen of eindigen");
    const std::string u = upperCase(name);
    for (const auto& other : sheets_)
        if (other.get() != ws && upperCase(other->Name()) == u) fail("Er is al een blad met de naam '" + name + "'");
}

}  // namespace zelk
