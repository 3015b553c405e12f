#pragma once
// Compact storage of a sheet's cells. A cell is 12 bytes: an 8-byte payload
// (a double, a Currency's scaled value or a string's number in the
// workbook's string pool), a style number and its kind. Texts are stored once
// per workbook, so the repeated account texts of a large export cost nothing.

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelk {

enum class CellKind : std::uint8_t { Empty, Number, Currency, Date, Boolean, String };

class Cell {
public:
    CellKind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == CellKind::Empty; }
    std::uint16_t style() const { return style_; }
    void setStyle(std::uint16_t s) { style_ = s; }

    // Number, Date (the serial) and Currency (as a double) alike.
    double number() const;
    std::int64_t currencyScaled() const { return bits(); }
    bool boolean() const { return bits() != 0; }
    std::uint32_t stringId() const { return lo_; }

    void clear() { set(CellKind::Empty, 0); }
    void setNumber(double v, CellKind kind = CellKind::Number);
    void setCurrency(std::int64_t scaled) { set(CellKind::Currency, static_cast<std::uint64_t>(scaled)); }
    void setBoolean(bool b) { set(CellKind::Boolean, b ? 1 : 0); }
    void setString(std::uint32_t id) { set(CellKind::String, id); }

private:
    std::int64_t bits() const { return static_cast<std::int64_t>((static_cast<std::uint64_t>(hi_) << 32) | lo_); }
    void set(CellKind k, std::uint64_t b) {
        kind_ = k;
        lo_ = static_cast<std::uint32_t>(b);
        hi_ = static_cast<std::uint32_t>(b >> 32);
    }

    std::uint32_t lo_ = 0, hi_ = 0;
    std::uint16_t style_ = 0;
    CellKind kind_ = CellKind::Empty;
    std::uint8_t spare_ = 0;
};
static_assert(sizeof(Cell) == 12, "a cell must stay 12 bytes");

// Each distinct text once; numbers are stable for the workbook's life.
class StringPool {
public:
    std::uint32_t intern(std::string_view s);
    const std::string& at(std::uint32_t id) const { return strings_[id]; }
    std::size_t size() const { return strings_.size(); }
    // A text under a new number even when it is there already: for a pool
    // that lives for one row, where looking up costs more than it saves.
    std::uint32_t append(std::string_view s) {
        strings_.emplace_back(s);
        return static_cast<std::uint32_t>(strings_.size() - 1);
    }
    void clear() {
        index_.clear();
        strings_.clear();
    }

private:
    std::deque<std::string> strings_;  // a deque never moves its elements
    std::unordered_map<std::string_view, std::uint32_t> index_;
};

// What a cell or column looks like. numberFormat 0 is General.
struct CellStyle {
    bool bold = false;
    std::uint32_t numberFormat = 0;
    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

class StyleTable {
public:
    StyleTable();
    const CellStyle& at(std::uint16_t id) const { return styles_[id]; }
    std::size_t size() const { return styles_.size(); }
    // Number format texts; id 0 is General ("").
    std::uint32_t formatId(const std::string& code);
    const std::string& format(std::uint32_t id) const { return formats_[id]; }

    std::uint16_t intern(const CellStyle& s);
    std::uint16_t withBold(std::uint16_t id, bool bold);
    std::uint16_t withFormat(std::uint16_t id, std::uint32_t formatId);

private:
    std::vector<CellStyle> styles_;
    std::vector<std::string> formats_;
};

}  // namespace zelk
