#pragma once
// Jet's names for the fields of a result: a column by its own name, a name
// that occurs more than once by Table.Column; both without regard to case.

#include <string>
#include <unordered_map>
#include <vector>

#include "database/row_store.h"

namespace zelk {

class FieldNaming {
public:
    FieldNaming() = default;
    explicit FieldNaming(const std::vector<ResultColumn>& columns);

    const std::vector<std::string>& names() const { return names_; }
    // Error 3265 when no field has that name.
    std::size_t indexOf(const std::string& name) const;

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, std::size_t> byName_;  // upper-cased names
};

}  // namespace zelk
