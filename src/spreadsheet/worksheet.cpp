#include "spreadsheet/worksheet.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "runtime/runtime_error.h"
#include "spreadsheet/cell_format.h"
#include "spreadsheet/cell_text.h"
#include "spreadsheet/row_spool.h"
#include "spreadsheet/variant_array.h"
#include "spreadsheet/workbook.h"

namespace zelk {
namespace {

RuntimeError objectError(const std::string& what) { return RuntimeError(1004, "Werkmap", what); }

// The file format allows 32767 UTF-16 code units per cell, and the writer
// refuses a stored (escaped) text of more characters than that.
constexpr std::size_t kMaxCellText = 32767;

// The sheet holds no number closer to zero than the smallest normal double;
// such a number is stored as 0, as the spreadsheet programs do.
double sheetNumber(double d) { return std::fabs(d) < std::numeric_limits<double>::min() ? 0.0 : d; }

// Characters of the text as the file stores it; an escape takes 7 for 1, so
// only long texts can pass the limit that way.
std::size_t storedLength(std::string_view text) {
    if (text.size() <= kMaxCellText / 7) return text.size();
    std::size_t n = 0;
    for (const char c : escapeCellText(text)) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// A few thousand cells in memory at most; the rest of a long export waits on disk.
std::size_t gSpoolAfterRows = 64;

}  // namespace

std::uint16_t StyleChange::apply(StyleTable& styles, std::uint16_t style) const {
    return isBold ? styles.withBold(style, bold) : styles.withFormat(style, format);
}

Worksheet::Worksheet(Workbook& book, std::string name) : book_(&book), name_(std::move(name)) {}

Worksheet::~Worksheet() = default;

void Worksheet::setSpoolAfterRows(std::size_t rows) { gSpoolAfterRows = rows; }

std::size_t Worksheet::spoolAfterRows() { return gSpoolAfterRows; }

bool Worksheet::spooling() const { return spool_ && !spool_->empty(); }

bool Worksheet::appendsToSpool(const Area& area) const {
    // One row at a time, so that a failed write refuses a whole assignment.
    if (area.row1 != area.row2) return false;
    if (spooling()) return area.row1 > spool_->lastRow();
    return rows_.size() >= gSpoolAfterRows && static_cast<std::size_t>(area.row1) > rows_.size();
}

void Worksheet::bringBack(long fromRow) const {
    if (!spooling() || fromRow > spool_->lastRow()) return;
    // Read completely before anything changes: a failed read leaves the
    // sheet as it was.
    std::vector<std::pair<long, std::vector<Cell>>> back;
    back.reserve(spool_->size());
    StringPool& strings = book_->strings();
    spool_->forEach([&](std::size_t index, const SpooledRow& r) {
        std::vector<Cell> row = r.cells;
        for (std::size_t c = 0; c < row.size(); ++c) {
            Cell& cell = row[c];
            cell.setStyle(spooledStyle(index, static_cast<long>(c + 1), cell.style()));
            if (cell.kind() == CellKind::String) cell.setString(strings.intern(r.strings.at(cell.stringId())));
        }
        back.emplace_back(r.row, std::move(row));
    });
    rows_.resize(static_cast<std::size_t>(spool_->lastRow()));
    for (auto& [row, cells] : back) rows_[static_cast<std::size_t>(row - 1)] = std::move(cells);
    spool_.reset();
    pending_.clear();
}

std::uint16_t Worksheet::spooledStyle(std::size_t index, long col, std::uint16_t style) const {
    for (const PendingChange& p : pending_)
        if (index < p.rows && col >= p.col1 && col <= p.col2) style = p.change.apply(book_->styles(), style);
    return style;
}

const std::vector<std::vector<Cell>>& Worksheet::rows() const {
    bringBack();
    return rows_;
}

void Worksheet::forEachRow(const RowVisitor& visit) const {
    const StringPool& strings = book_->strings();
    for (std::size_t r = 0; r < rows_.size(); ++r) visit(static_cast<long>(r + 1), rows_[r], strings);
    if (!spooling()) return;
    std::vector<Cell> cells;
    spool_->forEach([&](std::size_t index, const SpooledRow& r) {
        if (pending_.empty()) return visit(r.row, r.cells, r.strings);
        cells = r.cells;
        for (std::size_t c = 0; c < cells.size(); ++c)
            cells[c].setStyle(spooledStyle(index, static_cast<long>(c + 1), cells[c].style()));
        visit(r.row, cells, r.strings);
    });
}

void Worksheet::Name(const std::string& newName) {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    book_->checkSheetName(newName, this);
    name_ = newName;
}

void Worksheet::Select() {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    book_->selectOnly(*this);
}

void Worksheet::Activate() {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    book_->activateSheet(*this);
}

const Cell* Worksheet::find(long row, long col) const {
    if (row >= 1 && static_cast<std::size_t>(row) > rows_.size()) bringBack(row);
    if (row < 1 || col < 1 || static_cast<std::size_t>(row) > rows_.size()) return nullptr;
    const auto& r = rows_[static_cast<std::size_t>(row - 1)];
    if (static_cast<std::size_t>(col) > r.size()) return nullptr;
    return &r[static_cast<std::size_t>(col - 1)];
}

std::uint16_t Worksheet::columnStyle(long col) const {
    if (static_cast<std::size_t>(col) > columns_.size()) return 0;
    return columns_[static_cast<std::size_t>(col - 1)].style;
}

ColumnInfo& Worksheet::columnInfo(long col) {
    if (static_cast<std::size_t>(col) > columns_.size()) columns_.resize(static_cast<std::size_t>(col));
    return columns_[static_cast<std::size_t>(col - 1)];
}

Cell& Worksheet::cell(long row, long col) {
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns) throw objectError("Cel buiten het blad");
    if (static_cast<std::size_t>(row) > rows_.size()) bringBack();
    if (static_cast<std::size_t>(row) > rows_.size()) rows_.resize(static_cast<std::size_t>(row));
    auto& r = rows_[static_cast<std::size_t>(row - 1)];
    if (static_cast<std::size_t>(col) > r.size()) {
        const std::size_t old = r.size();
        r.resize(static_cast<std::size_t>(col));
        // New cells take their column's format, as typing into a formatted column does.
        for (std::size_t c = old; c < r.size(); ++c) r[c].setStyle(columnStyle(static_cast<long>(c + 1)));
    }
    return r[static_cast<std::size_t>(col - 1)];
}

Variant Worksheet::value(long row, long col) const {
    const Cell* c = find(row, col);
    if (!c) return Variant();
    switch (c->kind()) {
    case CellKind::Empty: return Variant();
    case CellKind::Number: return Variant(c->number());
    case CellKind::Currency: return Variant(Currency{c->currencyScaled()});
    case CellKind::Date: return Variant(Date{c->number()});
    case CellKind::Boolean: return Variant(c->boolean());
    case CellKind::String: return Variant(book_->strings().at(c->stringId()));
    }
    return Variant();
}

Cell Worksheet::makeCell(const Variant& v, std::uint16_t style, std::string& text) {
    Cell c;
    c.setStyle(style);
    StyleTable& styles = book_->styles();
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Null: break;
    case VarType::Boolean: c.setBoolean(v.toBool()); break;
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double: {
        const double d = v.toDouble();
        if (!std::isfinite(d)) throw objectError("Ongeldig getal voor een cel");
        c.setNumber(sheetNumber(d));
        break;
    }
    case VarType::Single: {
        // A Single goes in as the number it prints as, not as its binary
        // neighbour (0.1 stays 0.1, not 0.100000001490116).
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v.toSingle()));
        const double d = std::strtod(buf, nullptr);
        if (!std::isfinite(d)) throw objectError("Ongeldig getal voor een cel");
        c.setNumber(sheetNumber(d));
        break;
    }
    case VarType::Currency:
        c.setCurrency(v.currency().scaled);
        if (styles.at(style).numberFormat == 0)
            c.setStyle(styles.withFormat(style, styles.formatId(kDefaultCurrencyFormat)));
        break;
    case VarType::Date: {
        const double serial = v.date().serial;
        c.setNumber(serial, CellKind::Date);
        if (styles.at(style).numberFormat == 0)
            c.setStyle(styles.withFormat(style, styles.formatId(defaultDateFormatFor(serial))));
        break;
    }
    case VarType::String: {
        std::string_view s = v.str();
        // A leading apostrophe only says "this is text"; it is not part of the value.
        if (!s.empty() && s.front() == '\'') s.remove_prefix(1);
        // An empty text leaves the cell empty, as assigning "" does in the application.
        if (s.empty()) break;
        // A database may hand over any bytes; the cell holds characters.
        std::string repaired;
        if (!isValidUtf8(s)) s = repaired = repairUtf8(s);
        if (utf16Length(s) > kMaxCellText || storedLength(s) > kMaxCellText)
            throw objectError("Tekst te lang voor een cel");
        text.assign(s);
        c.setString(0);
        break;
    }
    }
    return c;
}

void Worksheet::assign(const Area& area, const VariantArray& values) {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    const long rows = values.dimensions() == 1 ? 1 : values.extent(1);
    const long cols = values.dimensions() == 1 ? values.extent(1) : values.extent(2);
    if (rows != area.rows() || cols != area.columns())
        throw objectError("De matrix heeft niet de vorm van het bereik " + areaAddress(area));
    const bool toSpool = appendsToSpool(area);
    if (!toSpool && static_cast<std::size_t>(area.row2) > rows_.size()) bringBack();
    // Convert everything first, so a bad value changes nothing.
    std::vector<Cell> converted;
    std::vector<std::string> texts(values.elements().size());
    converted.reserve(values.elements().size());
    std::size_t k = 0;
    for (long r = area.row1; r <= area.row2; ++r)
        for (long c = area.col1; c <= area.col2; ++c) {
            const Cell* old = toSpool ? nullptr : find(r, c);
            const std::uint16_t style = old ? old->style() : columnStyle(c);
            converted.push_back(makeCell(values.elements()[k], style, texts[k]));
            ++k;
        }
    if (toSpool) {
        spoolRow(area, std::move(converted), std::move(texts));
        return;
    }
    StringPool& strings = book_->strings();
    for (std::size_t i = 0; i < converted.size(); ++i)
        if (converted[i].kind() == CellKind::String) converted[i].setString(strings.intern(texts[i]));
    if (static_cast<std::size_t>(area.row2) > rows_.size()) rows_.resize(static_cast<std::size_t>(area.row2));
    k = 0;
    for (long r = area.row1; r <= area.row2; ++r) {
        auto& row = rows_[static_cast<std::size_t>(r - 1)];
        if (static_cast<std::size_t>(area.col2) > row.size()) {
            const std::size_t old = row.size();
            row.resize(static_cast<std::size_t>(area.col2));
            for (std::size_t c = old; c < row.size(); ++c) row[c].setStyle(columnStyle(static_cast<long>(c + 1)));
        }
        for (long c = area.col1; c <= area.col2; ++c) row[static_cast<std::size_t>(c - 1)] = converted[k++];
    }
}

void Worksheet::spoolRow(const Area& area, std::vector<Cell>&& converted, std::vector<std::string>&& texts) {
    if (!spool_) spool_ = std::make_unique<RowSpool>();
    // A new row holds its columns from the first; those left of the area are
    // empty with their column's format, as in memory. The exports write
    // from the first column, so their rows go as they are.
    if (area.col1 > 1) {
        const auto left = static_cast<std::size_t>(area.col1 - 1);
        converted.insert(converted.begin(), left, Cell{});
        texts.insert(texts.begin(), left, std::string());
        for (long c = 1; c < area.col1; ++c) converted[static_cast<std::size_t>(c - 1)].setStyle(columnStyle(c));
    }
    spool_->append(area.row1, converted, texts);
}

void Worksheet::fill(const Area& area, const Variant& value) {
    if (area.wholeColumns() || area.wholeRows())
        throw objectError("Een heel bereik van kolommen of rijen vullen kan niet");
    VariantArray values(1, area.rows(), 1, area.columns());
    for (long r = 1; r <= area.rows(); ++r)
        for (long c = 1; c <= area.columns(); ++c) values(r, c) = value;
    assign(area, values);
}

std::string Worksheet::displayText(const Cell& c) const { return displayText(c, book_->strings()); }

std::string Worksheet::displayText(const Cell& c, const StringPool& strings) const {
    return cellDisplayText(c, book_->styles().format(book_->styles().at(c.style()).numberFormat), strings);
}

void Worksheet::restyle(const Area& area, const StyleChange& styleChange) {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    StyleTable& styles = book_->styles();
    const auto change = [&](std::uint16_t s) { return styleChange.apply(styles, s); };
    if (area.wholeColumns()) {
        // Whole columns: the columns' own format, and every cell they hold.
        for (long c = area.col1; c <= area.col2; ++c) {
            ColumnInfo& info = columnInfo(c);
            info.style = change(info.style);
        }
        for (auto& row : rows_)
            for (long c = area.col1; c <= area.col2 && static_cast<std::size_t>(c) <= row.size(); ++c) {
                Cell& cell = row[static_cast<std::size_t>(c - 1)];
                cell.setStyle(change(cell.style()));
            }
        if (spooling()) pending_.push_back({area.col1, area.col2, spool_->size(), styleChange});
        return;
    }
    if (static_cast<std::size_t>(area.row2) > rows_.size()) bringBack(area.row1);
    if (area.wholeRows()) {
        for (long r = area.row1; r <= area.row2 && static_cast<std::size_t>(r) <= rows_.size(); ++r)
            for (Cell& cell : rows_[static_cast<std::size_t>(r - 1)]) cell.setStyle(change(cell.style()));
        return;
    }
    for (long r = area.row1; r <= area.row2; ++r)
        for (long c = area.col1; c <= area.col2; ++c) {
            Cell& cell = this->cell(r, c);
            cell.setStyle(change(cell.style()));
        }
}

void Worksheet::setBold(const Area& area, bool bold) { restyle(area, StyleChange{true, bold, 0}); }

bool Worksheet::bold(long row, long col) const {
    const Cell* c = find(row, col);
    return book_->styles().at(c ? c->style() : columnStyle(col)).bold;
}

void Worksheet::setNumberFormat(const Area& area, const std::string& code) {
    restyle(area, StyleChange{false, false, book_->styles().formatId(code)});
}

std::string Worksheet::numberFormat(long row, long col) const {
    const Cell* c = find(row, col);
    const StyleTable& styles = book_->styles();
    return styles.format(styles.at(c ? c->style() : columnStyle(col)).numberFormat);
}

void Worksheet::setColumnWidth(long col1, long col2, double width) {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    if (!(width >= 0 && width <= 255)) throw objectError("Kolombreedte moet tussen 0 en 255 liggen");
    for (long c = col1; c <= col2; ++c) columnInfo(c).width = width;
}

double Worksheet::columnWidth(long col) const {
    if (static_cast<std::size_t>(col) > columns_.size()) return kStandardColumnWidth;
    const double w = columns_[static_cast<std::size_t>(col - 1)].width;
    return w < 0 ? kStandardColumnWidth : w;
}

double Worksheet::fittedWidth(const Cell& cell, const StringPool& strings) const {
    if (cell.isEmpty()) return 0;
    const bool bold = book_->styles().at(cell.style()).bold;
    // A text shows as it is: measured where it lies.
    if (cell.kind() == CellKind::String) {
        const std::string& text = strings.at(cell.stringId());
        return text.empty() ? 0 : fittedColumnWidth(text, bold);
    }
    const std::string text = displayText(cell, strings);
    return text.empty() ? 0 : fittedColumnWidth(text, bold);
}

void Worksheet::autoFit(const Area& area) {
    if (deleted_) throw objectError("Het blad bestaat niet meer");
    std::vector<double> widest(static_cast<std::size_t>(area.columns()), 0.0);
    const long lastRow = std::min<long>(area.row2, static_cast<long>(rows_.size()));
    for (long r = area.row1; r <= lastRow; ++r) {
        const auto& row = rows_[static_cast<std::size_t>(r - 1)];
        const long lastCol = std::min<long>(area.col2, static_cast<long>(row.size()));
        for (long c = area.col1; c <= lastCol; ++c) {
            double& w = widest[static_cast<std::size_t>(c - area.col1)];
            w = std::max(w, fittedWidth(row[static_cast<std::size_t>(c - 1)], book_->strings()));
        }
    }
    if (spooling() && area.row2 > static_cast<long>(rows_.size()))
        spool_->forEach([&](std::size_t index, const SpooledRow& r) {
            if (r.row < area.row1 || r.row > area.row2) return;
            const long lastCol = std::min<long>(area.col2, static_cast<long>(r.cells.size()));
            for (long c = area.col1; c <= lastCol; ++c) {
                Cell cell = r.cells[static_cast<std::size_t>(c - 1)];
                cell.setStyle(spooledStyle(index, c, cell.style()));
                double& w = widest[static_cast<std::size_t>(c - area.col1)];
                w = std::max(w, fittedWidth(cell, r.strings));
            }
        });
    for (long c = area.col1; c <= area.col2; ++c) {
        const double w = widest[static_cast<std::size_t>(c - area.col1)];
        if (w > 0) columnInfo(c).width = w;
    }
}

}  // namespace zelk
