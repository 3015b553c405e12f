#include "runtime/number_format.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/variant.h"

namespace zelk {
namespace {

struct Token {
    enum Kind { Digit0, DigitHash, Point, Comma, Percent, Literal } kind;
    std::string text;  // Literal only
};

std::vector<Token> tokenize(const std::string& section) {
    std::vector<Token> out;
    auto literal = [&](const std::string& s) {
        if (!out.empty() && out.back().kind == Token::Literal) out.back().text += s;
        else out.push_back({Token::Literal, s});
    };
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        switch (c) {
        case '0': out.push_back({Token::Digit0, ""}); break;
        case '#': out.push_back({Token::DigitHash, ""}); break;
        case '.': out.push_back({Token::Point, ""}); break;
        case ',': out.push_back({Token::Comma, ""}); break;
        case '%': out.push_back({Token::Percent, ""}); break;
        case '\\':
            if (i + 1 < section.size()) literal(std::string(1, section[++i]));
            break;
        case '"': {
            const std::size_t end = section.find('"', i + 1);
            literal(section.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
            i = end == std::string::npos ? section.size() : end;
            break;
        }
        default: literal(std::string(1, c));
        }
    }
    return out;
}

bool isDigitCode(const Token& t) { return t.kind == Token::Digit0 || t.kind == Token::DigitHash; }

// The absolute value as decimal digits rounded half away from zero to
// `decimals` places, starting from its 15 significant digits.
void decimalDigits(double a, int decimals, std::string& whole, std::string& frac) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", a);
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    const int point = exponent + 1;  // digits before the decimal point
    if (point <= 0) {
        whole = "";
        frac = std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (static_cast<std::size_t>(point) >= digits.size()) {
        whole = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
        frac = "";
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(point));
        frac = digits.substr(static_cast<std::size_t>(point));
    }
    const std::size_t keep = static_cast<std::size_t>(decimals);
    bool carry = frac.size() > keep && frac[keep] >= '5';
    frac.resize(keep, '0');
    for (std::size_t i = frac.size(); carry && i-- > 0;) {
        if (frac[i] == '9') frac[i] = '0';
        else ++frac[i], carry = false;
    }
    for (std::size_t i = whole.size(); carry && i-- > 0;) {
        if (whole[i] == '9') whole[i] = '0';
        else ++whole[i], carry = false;
    }
    if (carry) whole.insert(whole.begin(), '1');
    const std::size_t nz = whole.find_first_not_of('0');
    whole = nz == std::string::npos ? "" : whole.substr(nz);
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

// What a section's codes ask for, and the value scaled by its "%" and
// thousands-dividing "," codes.
struct SectionLayout {
    std::size_t pointAt;  // index of the decimal point, tokens.size() without one
    int decimals = 0;
    int wholeCodes = 0;
    int minWhole = 0;  // whole digits shown even when zero: from the first "0" on
    bool grouping = false;
    double value;
};

bool digitCodeIn(const std::vector<Token>& tokens, std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to; ++k)
        if (isDigitCode(tokens[k])) return true;
    return false;
}

SectionLayout layoutOf(double a, const std::vector<Token>& tokens) {
    SectionLayout l{tokens.size(), 0, 0, 0, false, a};
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].kind == Token::Point) {
            l.pointAt = i;
            break;
        }
    bool seenZero = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Percent) l.value *= 100;
        if (i > l.pointAt && isDigitCode(t)) ++l.decimals;
        if (i < l.pointAt && isDigitCode(t)) {
            ++l.wholeCodes;
            if (t.kind == Token::Digit0) seenZero = true;
            if (seenZero) ++l.minWhole;
        }
        if (i < l.pointAt && t.kind == Token::Comma) {
            const bool digitBefore = digitCodeIn(tokens, 0, i);
            if (digitBefore && digitCodeIn(tokens, i + 1, l.pointAt)) l.grouping = true;
            else if (digitBefore) l.value /= 1000;
        }
    }
    return l;
}

// The text a literal or "%" code stands for; "" for the other codes.
std::string fixedText(const Token& t) {
    if (t.kind == Token::Literal) return t.text;
    if (t.kind == Token::Percent) return "%";
    return "";
}

// With grouping, all whole digits stand where the first digit code is.
std::string groupedWhole(const std::vector<Token>& tokens, std::size_t pointAt, const std::string& whole) {
    std::string out;
    bool placed = false;
    for (std::size_t i = 0; i < pointAt; ++i) {
        if (isDigitCode(tokens[i]) && !placed) {
            out += groupThousands(whole);
            placed = true;
        } else {
            out += fixedText(tokens[i]);
        }
    }
    return out;
}

// Without grouping, digits fill the codes from the right; surplus digits go
// where the leftmost code stands.
std::string filledWhole(const std::vector<Token>& tokens, const SectionLayout& l, const std::string& whole) {
    std::vector<std::string> pieces(l.pointAt);
    std::size_t left = whole.size();
    int codesSeen = 0;
    for (std::size_t i = l.pointAt; i-- > 0;) {
        const Token& t = tokens[i];
        if (!isDigitCode(t)) {
            pieces[i] = fixedText(t);
        } else if (++codesSeen == l.wholeCodes) {
            pieces[i] = whole.substr(0, left);
            left = 0;
        } else if (left > 0) {
            pieces[i] = whole.substr(--left, 1);
        }
    }
    std::string out = l.wholeCodes == 0 ? whole : "";
    for (const std::string& piece : pieces) out += piece;
    return out;
}

// Decimals: each "#" at the end drops a trailing zero.
std::string fractionPart(const std::vector<Token>& tokens, std::size_t pointAt, const std::string& frac) {
    std::vector<Token::Kind> fracCodes;
    for (std::size_t i = pointAt + 1; i < tokens.size(); ++i)
        if (isDigitCode(tokens[i])) fracCodes.push_back(tokens[i].kind);
    assert(fracCodes.size() == frac.size() && "one decimal digit per decimal code");
    std::size_t shown = frac.size();
    while (shown > 0 && fracCodes[shown - 1] == Token::DigitHash && frac[shown - 1] == '0') --shown;
    std::string out = ",";
    std::size_t k = 0;
    for (std::size_t i = pointAt + 1; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (!isDigitCode(t)) {
            out += fixedText(t);
        } else {
            if (k < shown) out += frac[k];
            ++k;
        }
    }
    return out;
}

std::string formatSection(double a, const std::vector<Token>& tokens, bool& nonZero) {
    const SectionLayout l = layoutOf(a, tokens);
    std::string whole, frac;
    decimalDigits(l.value, l.decimals, whole, frac);
    nonZero = whole.find_first_not_of('0') != std::string::npos || frac.find_first_not_of('0') != std::string::npos;
    if (whole.size() < static_cast<std::size_t>(l.minWhole))
        whole.insert(0, static_cast<std::size_t>(l.minWhole) - whole.size(), '0');

    std::string out = l.grouping ? groupedWhole(tokens, l.pointAt, whole) : filledWhole(tokens, l, whole);
    if (l.pointAt < tokens.size()) out += fractionPart(tokens, l.pointAt, frac);
    return out;
}

}  // namespace

std::vector<std::string> splitSections(const std::string& codes) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const char c = codes[i];
        if (c == '"') quoted = !quoted;
        if (!quoted && c == '\\' && i + 1 < codes.size()) {
            out.back() += c;
            out.back() += codes[++i];
            continue;
        }
        if (!quoted && c == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

std::string formatNumber(double value, const std::string& codes) {
    if (!std::isfinite(value)) return "";
    if (codes.empty()) return Variant(value).toString();
    const std::vector<std::string> sections = splitSections(codes);
    std::string section = sections[0];
    bool sign = value < 0;
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        section = sections[1];
        sign = false;
    } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
        section = sections[2];
    }
    bool nonZero = false;
    const std::string text = formatSection(std::fabs(value), tokenize(section), nonZero);
    return sign && nonZero ? "-" + text : text;
}

double val(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        const long long v = std::strtoll(s.c_str() + 2, nullptr, base);
        return static_cast<double>(v);
    }
    std::size_t i = 0;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num += s[i++];
    bool digits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') num += s[i++], digits = true;
    if (i < s.size() && s[i] == '.') {
        num += s[i++];
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') num += s[i++], digits = true;
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exp = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        bool expDigits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') exp += s[j++], expDigits = true;
        if (expDigits) num += exp;
    }
    const double v = std::strtod(num.c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

}  // namespace zelk
