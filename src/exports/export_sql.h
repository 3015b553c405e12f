#pragma once
// The SQL texts of the exports. They are kept piece by piece exactly as the
// ledger load was defined, so a change shows up as a changed piece; the
// database engine runs them unchanged.

#include <string>

namespace zelk {

std::string movableAssetsSql();    // movable assets, all category kinds but GR/ONR/ERF
std::string immovableAssetsSql();  // immovable assets, category kinds GR/ONR/ERF
std::string ogWvwSql();            // stored query OG_WVW: per building the sum of current COM values
std::string categoryMappingSql();  // category mapping, joins OG_WVW

}  // namespace zelk
