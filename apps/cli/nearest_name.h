#pragma once
// A mistyped command, option or export word answered with the valid one it
// most likely meant.

#include <optional>
#include <string>
#include <vector>

namespace zelk::cli {

// The known word closest to `typed` by edit distance (a swap of two
// neighbours counts as one edit), when it is close enough to be a typo.
std::optional<std::string> nearestName(const std::string& typed, const std::vector<std::string>& known);

// " Bedoelde u '<word>'?" or "" when nothing is close.
std::string suggestion(const std::string& typed, const std::vector<std::string>& known, const std::string& prefix = "");

}  // namespace zelk::cli
