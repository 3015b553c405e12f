#include "spreadsheet/cell_address.h"

#include <cctype>

namespace zelk {
namespace {

struct Ref {
    std::optional<long> row, col;
};

// One side of an address: letters, digits or both, each optionally after "$".
std::optional<Ref> parseRef(const std::string& s) {
    std::size_t i = 0;
    Ref ref;
    if (i < s.size() && s[i] == '$') ++i;
    const std::size_t ls = i;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
    if (i > ls) {
        ref.col = columnNumber(s.substr(ls, i - ls));
        if (!ref.col) return std::nullopt;
    }
    bool dollarRow = false;
    if (i < s.size() && s[i] == '$') {
        if (!ref.col) return std::nullopt;
        dollarRow = true;
        ++i;
    }
    const std::size_t ds = i;
    long row = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        row = row * 10 + (s[i] - '0');
        if (row > kMaxRows) return std::nullopt;
        ++i;
    }
    if (i > ds) {
        if (row < 1) return std::nullopt;
        ref.row = row;
    }
    if (i != s.size() || (!ref.row && !ref.col) || (dollarRow && !ref.row)) return std::nullopt;
    return ref;
}

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

std::optional<long> columnNumber(const std::string& letters) {
    if (letters.empty() || letters.size() > 3) return std::nullopt;
    long n = 0;
    for (char ch : letters) {
        const int c = std::toupper(static_cast<unsigned char>(ch));
        if (c < 'A' || c > 'Z') return std::nullopt;
        n = n * 26 + (c - 'A' + 1);
    }
    if (n > kMaxColumns) return std::nullopt;
    return n;
}

std::string columnLetters(long column) {
    std::string s;
    while (column > 0) {
        const long rem = (column - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + rem));
        column = (column - 1) / 26;
    }
    return s;
}

std::optional<Area> parseCell(const std::string& text) {
    const auto r = parseRef(trimmed(text));
    if (!r || !r->row || !r->col) return std::nullopt;
    return Area{*r->row, *r->col, *r->row, *r->col};
}

std::optional<Area> parseArea(const std::string& text) {
    const std::string t = trimmed(text);
    const auto colon = t.find(':');
    if (colon == std::string::npos) {
        const auto r = parseRef(t);
        if (!r) return std::nullopt;
        if (r->row && r->col) return Area{*r->row, *r->col, *r->row, *r->col};
        if (r->col) return Area{1, *r->col, kMaxRows, *r->col};  // Columns("E")
        return std::nullopt;                                     // a bare row number is no address
    }
    const auto a = parseRef(t.substr(0, colon));
    const auto b = parseRef(t.substr(colon + 1));
    if (!a || !b) return std::nullopt;
    Area area;
    if (a->row && a->col && b->row && b->col) {
        area = {*a->row, *a->col, *b->row, *b->col};
    } else if (!a->row && !b->row && a->col && b->col) {
        area = {1, *a->col, kMaxRows, *b->col};
    } else if (!a->col && !b->col && a->row && b->row) {
        area = {*a->row, 1, *b->row, kMaxColumns};
    } else {
        return std::nullopt;
    }
    if (area.row1 > area.row2) std::swap(area.row1, area.row2);
    if (area.col1 > area.col2) std::swap(area.col1, area.col2);
    return area;
}

std::string areaAddress(const Area& a) {
    const std::string first = columnLetters(a.col1) + std::to_string(a.row1);
    if (a.row1 == a.row2 && a.col1 == a.col2) return first;
    return first + ":" + columnLetters(a.col2) + std::to_string(a.row2);
}

}  // namespace zelk
