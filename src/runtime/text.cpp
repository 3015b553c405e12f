#include "runtime/text.h"

#include <algorithm>

#include <array>

namespace zelk {
namespace {

// Bytes 80..9F of Windows-1252; 0 marks the five undefined bytes.
constexpr std::array<char32_t, 32> kHigh{0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::size_t utf8LeadSize(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

Utf8Char utf8CharAt(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const std::size_t n = utf8LeadSize(byte(0));
    if (n == 0 || i + n > s.size()) return {};
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    auto cp = static_cast<char32_t>(byte(0) & kLeadBits[n]);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return {};
        cp = (cp << 6) | (byte(k) & 0x3Fu);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
    return {cp, n};
}

std::u32string utf8ToU32(const std::string& s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Char c = utf8CharAt(s, i);
        out.push_back(c.size ? c.cp : U'\uFFFD');
        i += c.size ? c.size : 1;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string u32ToUtf8(const std::u32string& s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t cp : s) appendUtf8(out, cp);
    return out;
}

char32_t cp1252Char(unsigned char b) {
    if (b < 0x80 || b >= 0xA0) return b;
    const char32_t c = kHigh[b - 0x80];
    return c ? c : b;
}

unsigned char cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c || (kHigh[i] == 0 && c == 0x80 + i)) return static_cast<unsigned char>(0x80 + i);
    return '?';
}

std::string utf8ToCp1252(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : utf8ToU32(utf8)) out.push_back(static_cast<char>(cp1252Byte(c)));
    return out;
}

std::string cp1252ToUtf8(const std::string& bytes) {
    std::u32string s;
    s.reserve(bytes.size());
    for (char b : bytes) s.push_back(cp1252Char(static_cast<unsigned char>(b)));
    return u32ToUtf8(s);
}

char32_t upperChar(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
    case 0xFF: return 0x178;
    case 0x153: return 0x152;
    case 0x161: return 0x160;
    case 0x17E: return 0x17D;
    default: return c;
    }
}

char32_t lowerChar(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    switch (c) {
    case 0x178: return 0xFF;
    case 0x152: return 0x153;
    case 0x160: return 0x161;
    case 0x17D: return 0x17E;
    default: return c;
    }
}

std::string upperCase(const std::string& utf8) {
    // Field names and codes are plain ASCII nearly always; spare them the round trip.
    if (std::all_of(utf8.begin(), utf8.end(), [](unsigned char c) { return c < 0x80; })) {
        std::string out = utf8;
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return out;
    }
    std::u32string s = utf8ToU32(utf8);
    for (char32_t& c : s) c = upperChar(c);
    return u32ToUtf8(s);
}

std::string lowerCase(const std::string& utf8) {
    std::u32string s = utf8ToU32(utf8);
    for (char32_t& c : s) c = lowerChar(c);
    return u32ToUtf8(s);
}

std::string trimBlanks(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    const std::size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

std::size_t charLength(const std::string& utf8) { return utf8ToU32(utf8).size(); }

std::string plainLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace zelk
