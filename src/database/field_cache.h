#pragma once
// Named fields read on every record of a recordset: each name is resolved
// to its position once per recordset, on first use, and read by position
// after that.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "database/recordset.h"

namespace zelk {

class FieldCache {
public:
    explicit FieldCache(std::vector<std::string> names) : names_(std::move(names)), pos_(names_.size(), kUnresolved) {}

    // Field number `field` (an index into the names) of the current record:
    // errors as Recordset::Field.
    Variant operator()(const Recordset& rs, std::size_t field) const {
        if (rs.serial() != serial_) {
            std::fill(pos_.begin(), pos_.end(), kUnresolved);
            serial_ = rs.serial();
        }
        std::size_t& p = pos_[field];
        if (p == kUnresolved) p = rs.fieldIndex(names_[field]);
        return rs.fieldAt(p);
    }

private:
    static constexpr std::size_t kUnresolved = static_cast<std::size_t>(-1);
    std::vector<std::string> names_;
    mutable std::vector<std::size_t> pos_;
    mutable std::uint64_t serial_ = 0;
};

}  // namespace zelk
