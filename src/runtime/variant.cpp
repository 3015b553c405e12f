#include "runtime/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "runtime/calendar.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"

namespace zelk {
namespace {

// Parses a number the way a user types it: blanks around, optional sign, one
// decimal separator ("," or ".").
std::optional<double> parseNumber(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    std::string t = s.substr(b, e - b + 1);
    int seps = 0;
    for (char& c : t) {
        if (c == ',') c = '.';
        if (c == '.') ++seps;
    }
    if (seps > 1) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
    if (t.find_first_of("xXpPnN") != std::string::npos) return std::nullopt;  // no hex, inf or nan
    return v;
}

std::string withDecimalComma(std::string s) {
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

// The runtime prints a Double with up to 15 significant digits, a Single with 7.
std::string numberText(double v, int digits) {
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    std::string s = buf;
    if (s.find('e') != std::string::npos) {
        // Keep the runtime's exponent look: 1E+20, 1,5E-07.
        const size_t e = s.find('e');
        std::string mant = s.substr(0, e);
        std::string exp = s.substr(e + 1);
        const char sign = exp[0];
        exp = exp.substr(1);
        while (exp.size() > 2 && exp[0] == '0') exp.erase(0, 1);
        s = mant + "E" + sign + exp;
    }
    return withDecimalComma(s);
}

std::string currencyText(Currency c) {
    const bool neg = c.scaled < 0;
    const unsigned long long a =
        neg ? static_cast<unsigned long long>(-(c.scaled + 1)) + 1 : static_cast<unsigned long long>(c.scaled);
    std::string s = std::to_string(a / 10000);
    unsigned long long frac = a % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04llu", frac);
        std::string f = buf;
        while (!f.empty() && f.back() == '0') f.pop_back();
        s += "," + f;
    }
    return neg ? "-" + s : s;
}

double roundHalfEven(double v) { return std::nearbyint(v); }

}  // namespace

bool Variant::isNumeric() const {
    switch (type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Date: return true;
    default: return false;
    }
}

std::string Variant::typeName() const {
    switch (type()) {
    case VarType::Empty: return "empty";
    case VarType::Null: return "null";
    case VarType::Boolean: return "boolean";
    case VarType::Integer: return "integer";
    case VarType::Long: return "long";
    case VarType::Single: return "single";
    case VarType::Double: return "double";
    case VarType::Currency: return "currency";
    case VarType::Date: return "date";
    case VarType::String: return "string";
    }
    return "variant";
}

double Variant::toDouble() const {
    switch (type()) {
    case VarType::Empty: return 0;
    case VarType::Null: throw RuntimeError(94);
    case VarType::Boolean: return std::get<bool>(v_) ? -1 : 0;
    case VarType::Integer: return std::get<std::int16_t>(v_);
    case VarType::Long: return std::get<std::int32_t>(v_);
    case VarType::Single: return std::get<float>(v_);
    case VarType::Double: return std::get<double>(v_);
    case VarType::Currency: return std::get<Currency>(v_).toDouble();
    case VarType::Date: return std::get<Date>(v_).serial;
    case VarType::String:
        if (auto n = parseNumber(std::get<std::string>(v_))) return *n;
        throw RuntimeError(13);
    }
    throw RuntimeError(13);
}

std::int32_t Variant::toLong() const {
    if (type() == VarType::Long) return std::get<std::int32_t>(v_);
    const double r = roundHalfEven(toDouble());
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
        throw RuntimeError(6);
    return static_cast<std::int32_t>(r);
}

std::int16_t Variant::toInteger() const {
    const double r = roundHalfEven(toDouble());
    if (!(r >= -32768 && r <= 32767)) throw RuntimeError(6);
    return static_cast<std::int16_t>(r);
}

float Variant::toSingle() const {
    const double d = toDouble();
    if (std::fabs(d) > std::numeric_limits<float>::max()) throw RuntimeError(6);
    return static_cast<float>(d);
}

Currency Variant::toCurrency() const {
    switch (type()) {
    case VarType::Currency: return std::get<Currency>(v_);
    case VarType::Integer: return Currency::fromWhole(std::get<std::int16_t>(v_));
    case VarType::Long: return Currency::fromWhole(std::get<std::int32_t>(v_));
    default: return Currency::fromDouble(toDouble());
    }
}

Date Variant::toDate() const {
    switch (type()) {
    case VarType::Date: return std::get<Date>(v_);
    case VarType::Null: throw RuntimeError(94);
    case VarType::String: {
        if (auto d = parseDate(std::get<std::string>(v_))) return *d;
        if (auto n = parseNumber(std::get<std::string>(v_))) return Date{*n};
        throw RuntimeError(13);
    }
    default: {
        const double d = toDouble();
        if (d < -657434.0 || d >= 2958466.0) throw RuntimeError(6);  // years 100..9999
        return Date{d};
    }
    }
}

bool Variant::toBool() const {
    if (type() == VarType::Boolean) return std::get<bool>(v_);
    if (type() == VarType::String) {
        const std::string& s = std::get<std::string>(v_);
        if (s == "Waar" || s == "True" || s == "WAAR" || s == "TRUE") return true;
        if (s == "Onwaar" || s == "False" || s == "ONWAAR" || s == "FALSE") return false;
    }
    return toDouble() != 0;
}

std::string Variant::toString() const {
    switch (type()) {
    case VarType::Empty: return "";
    case VarType::Null: throw RuntimeError(94);
    case VarType::Boolean: return std::get<bool>(v_) ? "Waar" : "Onwaar";
    case VarType::Integer: return std::to_string(std::get<std::int16_t>(v_));
    case VarType::Long: return std::to_string(std::get<std::int32_t>(v_));
    case VarType::Single: return numberText(std::get<float>(v_), 7);
    case VarType::Double: return numberText(std::get<double>(v_), 15);
    case VarType::Currency: return currencyText(std::get<Currency>(v_));
    case VarType::Date: {
        const Date d = std::get<Date>(v_);
        const double whole = std::trunc(d.serial);
        if (d.serial == whole) return shortDateText(d);
        if (whole == 0) return timeText(d);
        return shortDateText(d) + " " + timeText(d);
    }
    case VarType::String: return std::get<std::string>(v_);
    }
    return "";
}

const std::string& Variant::str() const {
    if (type() != VarType::String) throw RuntimeError(13);
    return std::get<std::string>(v_);
}

std::optional<int> compareVariants(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return std::nullopt;
    const bool aText = a.isString(), bText = b.isString();
    if (aText && bText) {
        const int c = a.str().compare(b.str());
        return (c > 0) - (c < 0);
    }
    if (aText && b.isEmpty()) return a.str().empty() ? 0 : 1;
    if (bText && a.isEmpty()) return b.str().empty() ? 0 : -1;
    if (aText) return 1;  // a number is less than a text
    if (bText) return -1;
    if (a.type() == VarType::Currency && b.type() == VarType::Currency) {
        const auto x = a.currency().scaled, y = b.currency().scaled;
        return (x > y) - (x < y);
    }
    const double x = a.toDouble(), y = b.toDouble();
    return (x > y) - (x < y);
}

std::string displayText(const Variant& v) {
    if (v.isNull()) return "";
    // A bare serial outside the platform's dates has no date text; its number does.
    if (v.type() == VarType::Date && !isPlatformSerial(v.date().serial)) return numberText(v.date().serial, 15);
    return v.toString();
}

}  // namespace zelk
