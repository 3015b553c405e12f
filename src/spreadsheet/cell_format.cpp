#include "spreadsheet/cell_format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "runtime/dates.h"
#include "runtime/number_format.h"

namespace zelk {
namespace {

std::string generalNumber(double v) {
    if (v == 0) return "0";
    char buf[64];
    if (std::fabs(v) < 1e11 && v == std::floor(v)) {
        // A whole number below 1e11 is exact as an integer; no need for printf.
        const auto end = std::to_chars(buf, buf + sizeof buf - 1, static_cast<long long>(v)).ptr;
        *end = '\0';
    } else {
        // General shows at most about eleven characters.
        std::string best;
        for (int digits = 10; digits >= 1; --digits) {
            std::snprintf(buf, sizeof buf, "%.*G", digits, v);
            best = buf;
            if (best.size() <= 11) break;
        }
        std::snprintf(buf, sizeof buf, "%s", best.c_str());
    }
    std::string s = buf;
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

// One numeric section: placeholders 0 # ?, "." decimals, "," thousands,
// "%" percent, literals in quotes or after "\", "_x" a blank as wide as x.
std::string numericSection(double v, const std::string& sec, bool withSign) {
    std::string prefix, suffix;
    int decimals = 0, minInt = 0;
    bool thousands = false, percent = false, seenDigit = false, afterPoint = false, afterDigits = false;
    for (std::size_t i = 0; i < sec.size(); ++i) {
        const char c = sec[i];
        std::string lit;
        if (c == '0' || c == '#' || c == '?') {
            if (afterDigits) {  // placeholders after literal text: treat as literal
                suffix += c;
                continue;
            }
            seenDigit = true;
            if (afterPoint) ++decimals;
            else if (c == '0') ++minInt;
            continue;
        }
        if (c == '.' && seenDigit && !afterDigits) {
            afterPoint = true;
            continue;
        }
        if (c == ',' && seenDigit && !afterPoint && !afterDigits) {
            thousands = true;
            continue;
        }
        if (c == '"') {
            const auto end = sec.find('"', i + 1);
            lit = sec.substr(i + 1, (end == std::string::npos ? sec.size() : end) - i - 1);
            i = end == std::string::npos ? sec.size() : end;
        } else if (c == '\\' && i + 1 < sec.size()) {
            lit = sec.substr(++i, 1);
        } else if (c == '_' && i + 1 < sec.size()) {
            ++i;
            lit = " ";
        } else if (c == '*' && i + 1 < sec.size()) {
            ++i;
            continue;
        } else if (c == '[') {
            const auto end = sec.find(']', i);
            i = end == std::string::npos ? sec.size() : end;
            continue;
        } else {
            if (c == '%') percent = true;
            lit = std::string(1, c);
        }
        if (seenDigit) {
            afterDigits = true;
            suffix += lit;
        } else {
            prefix += lit;
        }
    }
    if (!seenDigit) return prefix + suffix;  // a format of literals only
    if (percent) v *= 100;
    const bool negative = v < 0;
    // Halves round away from zero, as the application shows them.
    double shown = std::fabs(v);
    const double scale = std::pow(10.0, decimals);
    if (shown * scale < 1e15) shown = std::round(shown * scale) / scale;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, shown);
    std::string digits = buf;
    std::string intPart = digits.substr(0, digits.find('.'));
    std::string fracPart = decimals ? digits.substr(digits.find('.') + 1) : "";
    if (intPart == "0" && minInt == 0) intPart.clear();
    while (static_cast<int>(intPart.size()) < minInt) intPart.insert(intPart.begin(), '0');
    if (thousands)
        for (int pos = static_cast<int>(intPart.size()) - 3; pos > 0; pos -= 3)
            intPart.insert(static_cast<std::size_t>(pos), ".");
    std::string number = intPart;
    if (decimals) number += "," + fracPart;
    const bool allZero = number.find_first_not_of("0.,") == std::string::npos;
    return (negative && withSign && !allZero ? "-" : "") + prefix + number + suffix;
}

// Advance widths of the standard font (11 point) in 1/2048 of its size.
int glyphUnits(unsigned char c) {
    static const short ascii[95] = {
        463,  463,  723,  1038, 1038, 1472, 1409, 452,  621,  621,  1038, 1038, 511,  627,  517,  792,   // ' '../
        1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 548,  548,  1038, 1038, 1038, 941,   // 0..?
        1833, 1185, 1114, 1092, 1260, 1000, 941,  1292, 1276, 516,  653,  1064, 861,  1751, 1322, 1356,  // @..O
        1058, 1378, 1112, 941,  998,  1314, 1162, 1822, 1063, 998,  959,  627,  792,  627,  1038, 1024,  // P.._
        556,  981,  1076, 866,  1076, 1019, 625,  964,  1076, 470,  490,  931,  470,  1636, 1076, 1080,  // `..o
        1076, 1076, 714,  801,  686,  1076, 925,  1464, 887,  927,  809,  677,  941,  677,  1038};       // p..~
    if (c >= 32 && c < 127) return ascii[c - 32];
    return 1000;
}

}  // namespace

const char* defaultDateFormatFor(double serial) {
    const double day = std::floor(serial);
    if (day == 0 && serial != 0) return kDefaultTimeFormat;
    if (serial == day) return kDefaultDateFormat;
    return kDefaultDateTimeFormat;
}

bool isDateFormat(const std::string& code) {
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\\' || c == '_' || c == '*') {
            ++i;
            continue;
        }
        if (c == '[') {  // colours and locales; [h] elapsed hours counts as a time
            const auto end = code.find(']', i);
            const std::string in = code.substr(i + 1, end == std::string::npos ? 0 : end - i - 1);
            if (!in.empty() && std::string("hHmMsS").find(in[0]) != std::string::npos) return true;
            i = end == std::string::npos ? code.size() : end;
            continue;
        }
        if (std::string("dDmMyYhHsS").find(c) != std::string::npos) return true;
    }
    return false;
}

std::string formatCellNumber(double value, const std::string& code) {
    if (code.empty() || code == "General" || code == "@") return generalNumber(value);
    const auto secs = splitSections(code);
    if (value < 0 && secs.size() >= 2) return numericSection(-value, secs[1], false);
    if (value == 0 && secs.size() >= 3) return numericSection(0, secs[2], false);
    const std::string& first = secs[0];
    if (first == "General") return generalNumber(value);
    return numericSection(value, first, true);
}

std::string cellDisplayText(const Cell& c, const std::string& code, const StringPool& strings) {
    switch (c.kind()) {
    case CellKind::Empty: return "";
    case CellKind::String: return strings.at(c.stringId());
    case CellKind::Boolean: return c.boolean() ? "WAAR" : "ONWAAR";
    case CellKind::Number:
    case CellKind::Currency:
    case CellKind::Date: {
        const double v = c.number();
        const std::string& f = code.empty() && c.kind() == CellKind::Date ? defaultDateFormatFor(v) : code;
        // Before the sheet's first day this is also the text the file keeps.
        if (isDateFormat(f)) return formatDate(Date{v}, f);
        return formatCellNumber(v, f);
    }
    }
    return "";
}

double fittedColumnWidth(const std::string& text, bool bold) {
    double units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;  // UTF-8 continuation bytes share their character's width
        const int u = glyphUnits(c);
        units += (bold && !std::isdigit(c)) ? u * 1.05 : u;
    }
    const double pixels = units / 2048.0 * 14.667;
    // A column of w characters is 7w + 5 pixels wide; leave a little room.
    double width = (pixels + 7.0) / 7.0;
    width = std::ceil(width * 256.0) / 256.0;
    return width > 255.0 ? 255.0 : width;
}

}  // namespace zelk
