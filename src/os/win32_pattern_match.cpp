#include <string>
#include <vector>

#include "os/pattern_match.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

// Windows has no shell matcher of its own with these rules; this one reads
// them as the POSIX one does, a character at a time (UTF-16 code units here;
// outside the basic plane a "?" then takes half a character, which no name
// of a user's file in practice needs).
std::wstring folded(const std::wstring& text, bool ignoreCase) {
    std::wstring out = text;
    if (ignoreCase && !out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

// The end of the bracket expression starting at p[i] == '[', or npos.
std::size_t bracketEnd(const std::wstring& p, std::size_t i) {
    std::size_t j = i + 1;
    if (j < p.size() && (p[j] == L'!' || p[j] == L'^')) ++j;
    if (j < p.size() && p[j] == L']') ++j;
    for (; j < p.size(); ++j) {
        if (p[j] == L'\\' && j + 1 < p.size()) ++j;
        else if (p[j] == L']') return j;
    }
    return std::wstring::npos;
}

bool inBracket(const std::wstring& p, std::size_t from, std::size_t to, wchar_t c) {
    bool negate = false;
    std::size_t j = from + 1;
    if (j < to && (p[j] == L'!' || p[j] == L'^')) {
        negate = true;
        ++j;
    }
    bool found = false;
    for (bool first = true; j < to; first = false) {
        wchar_t lo = p[j];
        if (lo == L'\\' && j + 1 < to) lo = p[++j];
        else if (lo == L']' && !first) break;
        ++j;
        wchar_t hi = lo;
        if (j + 1 < to && p[j] == L'-') {
            hi = p[j + 1];
            if (hi == L'\\' && j + 2 < to) hi = p[++j + 1];
            j += 2;
        }
        if (lo <= c && c <= hi) found = true;
    }
    return found != negate;
}

bool matches(const std::wstring& p, std::size_t pi, const std::wstring& n, std::size_t ni) {
    while (pi < p.size()) {
        const wchar_t c = p[pi];
        if (c == L'*') {
            while (pi < p.size() && p[pi] == L'*') ++pi;
            if (pi == p.size()) return true;
            for (std::size_t k = ni; k <= n.size(); ++k)
                if (matches(p, pi, n, k)) return true;
            return false;
        }
        if (ni == n.size()) return false;
        if (c == L'?') {
            ++pi;
        } else if (c == L'[' && bracketEnd(p, pi) != std::wstring::npos) {
            const std::size_t end = bracketEnd(p, pi);
            if (!inBracket(p, pi, end, n[ni])) return false;
            pi = end + 1;
        } else {
            wchar_t literal = c;
            if (c == L'\\' && pi + 1 < p.size()) literal = p[++pi];
            if (literal != n[ni]) return false;
            ++pi;
        }
        ++ni;
    }
    return ni == n.size();
}

}  // namespace

bool patternMatches(const std::string& pattern, const std::string& name, bool ignoreCase) {
    return matches(folded(win32::wide(pattern), ignoreCase), 0, folded(win32::wide(name), ignoreCase), 0);
}

}  // namespace zelk::os
