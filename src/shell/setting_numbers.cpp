#include "shell/setting_numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "runtime/runtime_error.h"
#include "runtime/variant.h"

namespace zelk {

double LeadingNumber(const std::string& text) {
    // The runtime's reading ignores blanks, tabs and line feeds wherever they
    // stand, then takes the longest prefix that reads as a number.
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.push_back(c);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t digitsFrom = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    if (i == digitsFrom || (i == digitsFrom + 1 && s[digitsFrom] == '.')) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expFrom = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j > expFrom) {
            s[i] = 'e';
            i = j;
        }
    }
    const double v = std::strtod(s.substr(0, i).c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

std::optional<int> WholeNumberSetting(const std::string& text) {
    try {
        return Variant(text).toInteger();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::optional<double> RealNumberSetting(const std::string& text) {
    try {
        return Variant(text).toDouble();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::string StrText(double value) {
    const std::string s = Variant(value).toString();
    // Str always writes a point, whatever the desktop's decimal sign.
    std::string out = value >= 0 ? " " : "";
    for (char c : s) out.push_back(c == ',' ? '.' : c);
    return out;
}

std::string SingleText(float value) { return Variant(value).toString(); }

}  // namespace zelk
