#include "nearest_name.h"

#include <algorithm>
#include <cctype>

namespace zelk::cli {
namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Optimal string alignment distance, case ignored.
std::size_t distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> nearestName(const std::string& typed, const std::vector<std::string>& known) {
    std::optional<std::string> best;
    std::size_t bestDistance = 0;
    for (const std::string& k : known) {
        const std::size_t dist = distance(typed, k);
        if (!best || dist < bestDistance) {
            best = k;
            bestDistance = dist;
        }
    }
    // Beyond a third of the word it is another word, not a typo of this one.
    const std::size_t allowed = std::max<std::size_t>(1, std::min<std::size_t>(3, best ? best->size() / 3 : 0));
    if (!best || bestDistance > allowed || *best == typed) return std::nullopt;
    return best;
}

std::string suggestion(const std::string& typed, const std::vector<std::string>& known, const std::string& prefix) {
    const auto n = nearestName(typed, known);
    return n ? " Bedoelde u '" + prefix + *n + "'?" : "";
}

}  // namespace zelk::cli
