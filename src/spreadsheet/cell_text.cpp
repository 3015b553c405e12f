#include "spreadsheet/cell_text.h"

#include "runtime/text.h"

namespace zelk {
namespace {

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// "_xHHHH_" at `i`.
bool escapeAt(std::string_view s, std::size_t i) {
    return i + 7 <= s.size() && s[i] == '_' && s[i + 1] == 'x' && isHex(s[i + 2]) && isHex(s[i + 3]) &&
           isHex(s[i + 4]) && isHex(s[i + 5]) && s[i + 6] == '_';
}

void appendEscape(std::string& out, unsigned v) {
    static const char digits[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(digits[(v >> shift) & 0xF]);
    out.push_back('_');
}

bool xmlCarries(char32_t c) {
    // Carriage return is a character of XML, but a reader turns it into a line feed.
    if (c < 0x20) return c == '\t' || c == '\n';
    return c != 0xFFFE && c != 0xFFFF;
}

// Bytes from the start that form valid UTF-8.
std::size_t validPrefix(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = utf8CharAt(s, i).size;
        if (n == 0) break;
        i += n;
    }
    return i;
}

}  // namespace

bool isValidUtf8(std::string_view s) { return validPrefix(s) == s.size(); }

std::string repairUtf8(std::string_view s) {
    std::size_t i = validPrefix(s);
    if (i == s.size()) return std::string(s);
    std::string out(s.substr(0, i));
    out.reserve(s.size() + 8);
    while (i < s.size()) {
        const std::size_t n = utf8CharAt(s, i).size;
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::size_t utf16Length(std::string_view s) {
    std::size_t units = 0;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80) ++units;  // a lead byte or ASCII
        if (c >= 0xF0) ++units;           // four bytes: a surrogate pair
    }
    return units;
}

bool needsCellEscape(std::string_view s) {
    // Most texts need nothing: no underscore, no control byte, no EF BF BE/BF.
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == '_' || c == 0xEF) return true;
    }
    return false;
}

std::string escapeCellText(std::string_view s) {
    if (!needsCellEscape(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + 16);
    for (std::size_t i = 0; i < s.size();) {
        if (escapeAt(s, i)) {
            out += "_x005F_";
            ++i;
            continue;
        }
        Utf8Char c = utf8CharAt(s, i);
        if (c.size == 0) c = {static_cast<unsigned char>(s[i]), 1};  // callers pass repaired text; be safe anyway
        if (xmlCarries(c.cp)) out.append(s.substr(i, c.size));
        else appendEscape(out, static_cast<unsigned>(c.cp));
        i += c.size;
    }
    return out;
}

std::string unescapeCellText(std::string_view s) {
    if (s.find("_x") == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (!escapeAt(s, i)) {
            out.push_back(s[i++]);
            continue;
        }
        const auto unit = [&](std::size_t at) {
            return static_cast<char32_t>((hexValue(s[at + 2]) << 12) | (hexValue(s[at + 3]) << 8) |
                                         (hexValue(s[at + 4]) << 4) | hexValue(s[at + 5]));
        };
        char32_t c = unit(i);
        i += 7;
        if (c >= 0xD800 && c <= 0xDBFF && escapeAt(s, i)) {
            const char32_t low = unit(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 7;
            }
        }
        if (c == 0) out.push_back('\0');
        else appendUtf8(out, c);  // a lone surrogate becomes U+FFFD
    }
    return out;
}

}  // namespace zelk
