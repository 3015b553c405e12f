#include "spreadsheet/cell_store.h"

#include "runtime/runtime_error.h"

namespace zelk {

double Cell::number() const {
    if (kind_ == CellKind::Currency) return static_cast<double>(bits()) / 10000.0;
    const std::uint64_t b = static_cast<std::uint64_t>(bits());
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

void Cell::setNumber(double v, CellKind kind) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    set(kind, b);
}

std::uint32_t StringPool::intern(std::string_view s) {
    if (auto it = index_.find(s); it != index_.end()) return it->second;
    const auto id = static_cast<std::uint32_t>(strings_.size());
    strings_.emplace_back(s);
    index_.emplace(std::string_view(strings_.back()), id);
    return id;
}

StyleTable::StyleTable() : styles_{CellStyle{}}, formats_{std::string()} {}

std::uint32_t StyleTable::formatId(const std::string& code) {
    if (code.empty() || code == "General" || code == "Standaard") return 0;
    for (std::size_t i = 1; i < formats_.size(); ++i)
        if (formats_[i] == code) return static_cast<std::uint32_t>(i);
    formats_.push_back(code);
    return static_cast<std::uint32_t>(formats_.size() - 1);
}

std::uint16_t StyleTable::intern(const CellStyle& s) {
    for (std::size_t i = 0; i < styles_.size(); ++i)
        if (styles_[i] == s) return static_cast<std::uint16_t>(i);
    // The file format allows about 64000 cell formats.
    if (styles_.size() >= 64000) throw RuntimeError(1004, "Werkmap", "Te veel verschillende celopmaken");
    styles_.push_back(s);
    return static_cast<std::uint16_t>(styles_.size() - 1);
}

std::uint16_t StyleTable::withBold(std::uint16_t id, bool bold) {
    CellStyle s = styles_[id];
    if (s.bold == bold) return id;
    s.bold = bold;
    return intern(s);
}

std::uint16_t StyleTable::withFormat(std::uint16_t id, std::uint32_t formatId) {
    CellStyle s = styles_[id];
    if (s.numberFormat == formatId) return id;
    s.numberFormat = formatId;
    return intern(s);
}

}  // namespace zelk
