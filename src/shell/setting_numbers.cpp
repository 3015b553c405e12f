#include "shell/setting_numbers.h"

#include "runtime/runtime_error.h"
#include "runtime/variant.h"

namespace zelk {

std::optional<int> wholeNumberSetting(const std::string& text) {
    try {
        return Variant(text).toInteger();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::optional<double> realNumberSetting(const std::string& text) {
    try {
        return Variant(text).toDouble();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::string strText(double value) {
    const std::string s = Variant(value).toString();
    // Str always writes a point, whatever the desktop's decimal sign.
    std::string out = value >= 0 ? " " : "";
    for (char c : s) out.push_back(c == ',' ? '.' : c);
    return out;
}

std::string singleText(float value) { return Variant(value).toString(); }

}  // namespace zelk
