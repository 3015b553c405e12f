#include "messages/dir_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "messages/path_separator.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace fs = std::filesystem;

namespace {

bool matchFrom(const std::u32string& p, std::size_t pi, const std::u32string& n, std::size_t ni) {
    // Iterative glob with one back-track point per star.
    std::size_t starP = std::u32string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
            ++pi, ++ni;
        } else if (pi < p.size() && p[pi] == U'*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::u32string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*') ++pi;
    return pi == p.size();
}

bool hidden(const std::string& name) { return name.size() > 1 && name[0] == '.' && name != ".."; }

bool wanted(const std::string& name, bool isDir, int attributes) {
    if (isDir && !(attributes & vbDirectory)) return false;
    if (hidden(name) && !(attributes & vbHidden)) return false;
    return true;
}

}  // namespace

bool wildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase) {
    std::u32string p = utf8ToU32(pattern == "*.*" ? "*" : pattern);
    std::u32string n = utf8ToU32(name);
    if (ignoreCase) {
        for (char32_t& c : p) c = lowerChar(c);
        for (char32_t& c : n) c = lowerChar(c);
    }
    return matchFrom(p, 0, n, 0);
}

std::string DirSearch::first(const std::string& pattern, int attributes) {
    if (pattern.find('\0') != std::string::npos) throw RuntimeError(52);
    matches_.clear();
    position_ = 0;
    started_ = true;
    if (pattern.empty()) return "";

    std::error_code ec;
    const std::size_t cut = pattern.find_last_of(kPathSep);
    const std::string dir = cut == std::string::npos ? "." : pattern.substr(0, cut + 1);
    const std::string namePart = cut == std::string::npos ? pattern : pattern.substr(cut + 1);

    if (namePart.find_first_of("*?") == std::string::npos && !namePart.empty()) {
        // A plain name: it exists or it does not.
        const fs::file_status st = fs::status(fs::path(pattern), ec);
        if (!ec && fs::exists(st) && wanted(namePart, fs::is_directory(st), attributes)) matches_.push_back(namePart);
    } else {
        const std::string glob = namePart.empty() ? "*" : namePart;
        std::vector<std::string> names;
        if (attributes & vbDirectory) {
            for (const char* dot : {".", ".."})
                if (wildcardMatch(glob, dot, kCaseInsensitiveFileNames) && fs::is_directory(fs::path(dir), ec))
                    names.emplace_back(dot);
        }
        std::vector<std::string> found;
        for (fs::directory_iterator it(fs::path(dir), ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            std::error_code ec2;
            if (wildcardMatch(glob, name, kCaseInsensitiveFileNames) &&
                wanted(name, it->is_directory(ec2), attributes))
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
