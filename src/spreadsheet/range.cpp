#include "spreadsheet/range.h"

#include "runtime/runtime_error.h"
#include "spreadsheet/variant_array.h"
#include "spreadsheet/workbook.h"
#include "spreadsheet/worksheet.h"

namespace zelk {
namespace {

RuntimeError rangeError(const std::string& what) { return RuntimeError(1004, "Werkmap", what); }

}  // namespace

void Font::FontStyle(const std::string& style) {
    if (style == "Vet" || style == "Bold" || style == "vet" || style == "bold") Bold(true);
    else if (style == "Standaard" || style == "Regular" || style == "Normaal") Bold(false);
    else throw rangeError("Onbekende tekenstijl '" + style + "'");
}

std::string Font::FontStyle() const { return Bold() ? "Vet" : "Standaard"; }

void Font::Bold(bool bold) { ws_->setBold(area_, bold); }

bool Font::Bold() const { return ws_->bold(area_.row1, area_.col1); }

Range::Range(std::shared_ptr<zelk::Worksheet> ws, Area a, bool columnView)
    : ws_(std::move(ws)), area_(a), columnView_(columnView) {
    if (!ws_) throw RuntimeError(91);
}

void Range::Select() const {
    if (ws_->deleted()) throw rangeError("Het blad bestaat niet meer");
    if (&ws_->Parent().ActiveSheet() != ws_.get()) throw rangeError("De methode Select van de klasse Range is mislukt");
    ws_->setSelection(area_);
}

Range Range::Areas(long index) const {
    if (index != 1) throw RuntimeError(1004, "Werkmap", "Het bereik heeft maar een gebied");
    return *this;
}

void Range::Value(const VariantArray& values) const { ws_->assign(area_, values); }

void Range::Value(const Variant& value) const { ws_->fill(area_, value); }

Variant Range::Value() const { return ws_->value(area_.row1, area_.col1); }

void Range::NumberFormat(const std::string& code) const { ws_->setNumberFormat(area_, code); }

std::string Range::NumberFormat() const { return ws_->numberFormat(area_.row1, area_.col1); }

void Range::ColumnWidth(double width) const { ws_->setColumnWidth(area_.col1, area_.col2, width); }

double Range::ColumnWidth() const { return ws_->columnWidth(area_.col1); }

void Range::AutoFit() const {
    if (!columnView_ && !area_.wholeColumns()) throw rangeError("AutoFit werkt alleen op kolommen");
    ws_->autoFit(area_);
}

}  // namespace zelk
