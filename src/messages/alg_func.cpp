#include "messages/alg_func.h"

#include "platform/settings_store.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {

std::string PadString(const Variant& Value, int Length, const std::string& PadChar, bool PadRight, bool UpperCase) {
    const std::u32string pad = utf8ToU32(PadChar);
    if (pad.empty() || Length < 0) throw RuntimeError(5);
    const std::u32string value = utf8ToU32(displayText(Value));
    const std::u32string fill(static_cast<std::size_t>(Length), pad[0]);
    const std::size_t n = static_cast<std::size_t>(Length);
    std::u32string result;
    if (PadRight) {
        result = (value + fill).substr(0, n);
    } else {
        const std::u32string joined = fill + value;
        result = joined.substr(joined.size() - n);
    }
    if (UpperCase)
        for (char32_t& c : result) c = upperChar(c);
    return u32ToUtf8(result);
}

std::string AfterLast(const std::string& Value, const std::string& Separator, bool DropOne) {
    std::u32string s = utf8ToU32(Value);
    if (!s.empty() && DropOne) s.erase(0, 1);
    if (s.empty()) return "";
    const std::u32string sep = utf8ToU32(Separator);
    if (sep.empty()) return "";  // every text "contains" the empty text: all of it goes
    // Dropping first characters while the separator still occurs stops one
    // character past the start of its last occurrence.
    const std::size_t last = s.rfind(sep);
    if (last == std::u32string::npos) return u32ToUtf8(s);
    return u32ToUtf8(s.substr(last + 1));
}

std::string UpToLast(const std::string& Value, const std::string& Separator, bool DropOne) {
    std::u32string s = utf8ToU32(Value);
    if (!s.empty() && DropOne) s.pop_back();
    const std::u32string sep = utf8ToU32(Separator);
    // One character at a time is compared with the separator, so only a
    // one-character separator can ever be found.
    if (sep.size() != 1) return "";
    const std::size_t last = s.rfind(sep[0]);
    if (last == std::u32string::npos) return "";
    return u32ToUtf8(s.substr(0, last + 1));
}

namespace {

Variant pick(const std::vector<Variant>& values, int wantedSign) {
    if (values.empty()) return Variant();
    Variant result = values.front();
    for (std::size_t i = 1; i < values.size(); ++i) {
        const auto c = compareVariants(values[i], result);
        if (c && *c == wantedSign) result = values[i];
    }
    return result;
}

}  // namespace

Variant maximumOf(const std::vector<Variant>& values) { return pick(values, 1); }
Variant minimumOf(const std::vector<Variant>& values) { return pick(values, -1); }

std::string GetSettingValue(const SettingsStore& store, const std::string& AppName, const std::string& Section,
                            const std::string& Key, const std::string& Default, bool StripSuffix,
                            const std::string& Suffix) {
    std::string text = store.value(AppName, Section, Key, Default);
    if (trimBlanks(text).empty()) text = Default;
    if (StripSuffix && text.size() >= Suffix.size() &&
        text.compare(text.size() - Suffix.size(), Suffix.size(), Suffix) == 0)
        text.erase(text.size() - Suffix.size());
    return text;
}

std::string FormatDatum(const Variant& Value, const std::string& FormatText, const std::string& Default) {
    const Variant v = NotNull(Value, Variant(std::int16_t{0}));
    const Date d = v.toDate();
    if (!(d.serial > 0)) return Default;
    const std::u32string formatted = utf8ToU32(formatDate(d, FormatText));
    const std::size_t width = charLength(FormatText);
    const std::u32string field = std::u32string(width, U' ') + formatted;
    return u32ToUtf8(field.substr(field.size() - width));
}

Variant NotNull(const Variant& Value, const Variant& Default) {
    if (Value.isNull() || Value.isEmpty()) return Default;
    if (Value.isString()) return Variant(trimBlanks(Value.str()));
    return Value;
}

}  // namespace zelk
