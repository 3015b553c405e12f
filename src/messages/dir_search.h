#pragma once
// The runtime's directory search (Dir): a name or a pattern with "*" and "?"
// in its last part, and attribute bits that widen the search (2 hidden,
// 4 system, 16 directories too). The result is the bare name of the first
// match; a search without a pattern gives the next match of the last one.

#include <string>
#include <vector>

namespace zelk {

enum DirAttributes : int { vbNormal = 0, vbHidden = 2, vbSystem = 4, vbDirectory = 16 };

class DirSearch {
public:
    // The first match, "" when nothing matches. A name holding a NUL
    // character raises error 52.
    std::string first(const std::string& pattern, int attributes);
    // The next match of the last search, "" at the end; error 5 when no
    // search has started.
    std::string next();

private:
    std::vector<std::string> matches_;
    std::size_t position_ = 0;
    bool started_ = false;
};

// "*" any run of characters, "?" one (UTF-8) character, everything else
// itself (brackets too); "*.*" also matches names
// without a dot, as the desktop's search does.
bool wildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase);

}  // namespace zelk
