#include "database/field_naming.h"

#include <algorithm>
#include <cctype>

#include "database/jet_errors.h"
#include "runtime/text.h"

namespace zelk {
namespace {

// SQLite names the second of two equal column names of a view "NAME:1"; the
// column is still NAME of its table.
std::string baseName(const ResultColumn& c) {
    const auto colon = c.name.rfind(':');
    if (colon != std::string::npos && !c.originName.empty() &&
        upperCase(c.name.substr(0, colon)) == upperCase(c.originName) && colon + 1 < c.name.size() &&
        std::all_of(c.name.begin() + static_cast<long>(colon) + 1, c.name.end(),
                    [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); }))
        return c.originName;
    return c.name;
}

}  // namespace

FieldNaming::FieldNaming(const std::vector<ResultColumn>& cols) {
    // The bare name of a doubled column names none of them.
    std::unordered_map<std::string, int> count;
    for (const auto& c : cols) ++count[upperCase(baseName(c))];
    for (std::size_t k = 0; k < cols.size(); ++k) {
        const std::string base = baseName(cols[k]);
        const std::string column = cols[k].originName.empty() ? base : cols[k].originName;
        const std::string qualified = cols[k].table.empty() ? std::string() : cols[k].table + "." + column;
        const bool doubled = count[upperCase(base)] > 1;
        const std::string name = doubled && !qualified.empty() ? qualified : base;
        names_.push_back(name);
        byName_.emplace(upperCase(name), k);
        // Table.Column also answers for a column that is not doubled.
        if (!qualified.empty()) byName_.emplace(upperCase(qualified), k);
    }
}

std::size_t FieldNaming::indexOf(const std::string& name) const {
    const auto it = byName_.find(upperCase(name));
    if (it == byName_.end()) throw jet::itemNotFound(jet::kSourceFields);
    return it->second;
}

}  // namespace zelk
