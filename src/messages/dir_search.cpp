#include "messages/dir_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "messages/path_separator.h"
#include "os/pattern_match.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace fs = std::filesystem;

namespace {

// Only "*" and "?" are wild here: brackets and backslashes are ordinary
// characters in the desktop's patterns.
std::string literalBrackets(const std::string& pattern) {
    std::string out;
    out.reserve(pattern.size());
    for (const char c : pattern) {
        if (c == '[' || c == ']' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

bool hidden(const std::string& name) { return name.size() > 1 && name[0] == '.' && name != ".."; }

bool wanted(const std::string& name, bool isDir, int attributes) {
    if (isDir && !(attributes & vbDirectory)) return false;
    if (hidden(name) && !(attributes & vbHidden)) return false;
    return true;
}

}  // namespace

bool wildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase) {
    return os::patternMatches(literalBrackets(pattern == "*.*" ? "*" : pattern), name, ignoreCase);
}

std::string DirSearch::first(const std::string& pattern, int attributes) {
    if (pattern.find('\0') != std::string::npos) throw RuntimeError(52);
    matches_.clear();
    position_ = 0;
    started_ = true;
    if (pattern.empty()) return "";

    std::error_code ec;
    const fs::path whole(pattern);
    const fs::path dir = whole.has_parent_path() ? whole.parent_path() : fs::path(".");
    const std::string namePart = whole.filename().string();

    if (namePart.find_first_of("*?") == std::string::npos && !namePart.empty()) {
        // A plain name: it exists or it does not.
        const fs::file_status st = fs::status(fs::path(pattern), ec);
        if (!ec && fs::exists(st) && wanted(namePart, fs::is_directory(st), attributes)) matches_.push_back(namePart);
    } else {
        const std::string glob = namePart.empty() ? "*" : namePart;
        std::vector<std::string> names;
        if (attributes & vbDirectory) {
            for (const char* dot : {".", ".."})
                if (wildcardMatch(glob, dot, kCaseInsensitiveFileNames) && fs::is_directory(dir, ec))
                    names.emplace_back(dot);
        }
        std::vector<std::string> found;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            std::error_code ec2;
            if (wildcardMatch(glob, name, kCaseInsensitiveFileNames) && wanted(name, it->is_directory(ec2), attributes))
                found.push_back(name);
        }
        std::sort(found.begin(), found.end());
        names.insert(names.end(), found.begin(), found.end());
        matches_ = std::move(names);
    }
    return next();
}

std::string DirSearch::next() {
    if (!started_) throw RuntimeError(5);
    if (position_ >= matches_.size()) return "";
    return matches_[position_++];
}

}  // namespace zelk
