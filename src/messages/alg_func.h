#pragma once
// Small stateless helpers shared by the whole program: fixed-width texts,
// cutting a text at a separator, the largest or smallest of several values,
// settings with a fallback, a date in a fixed-width field, and missing values
// replaced by a default. A value of the wrong kind raises the runtime's type
// error (RuntimeError 13, or 94 for Null where a value is required).

#include <string>
#include <vector>

#include "runtime/variant.h"

namespace zelk {

class SettingsStore;

// `Value` as text, filled with the first character of `PadChar` to exactly
// `Length` characters: left-aligned (filled and cut on the right) when
// `PadRight`, else right-aligned (filled and cut on the left). Null and Empty
// give only fill. An empty `PadChar` or a negative `Length` raises error 5.
std::string PadString(const Variant& Value, int Length, const std::string& PadChar, bool PadRight, bool UpperCase);

// The part of `Value` behind the last `Separator` (the whole text when it
// does not occur). `DropOne` drops the first character first.
std::string AfterLast(const std::string& Value, const std::string& Separator, bool DropOne);
// The part of `Value` up to and including the last `Separator` ("" when it
// does not occur, always "" for a separator of more than one character).
// `DropOne` drops the last character first, so a directory name ending in
// the separator gives its parent.
std::string UpToLast(const std::string& Value, const std::string& Separator, bool DropOne);

// The largest / smallest value by the runtime's comparison; on equal values
// the earlier stays, and a Null never wins a comparison (a Null first value
// is returned as it is). Up to six further values may follow the first two.
Variant maximumOf(const std::vector<Variant>& values);
Variant minimumOf(const std::vector<Variant>& values);
template <class... More>
Variant Maximum(const Variant& a, const Variant& b, const More&... more) {
    static_assert(sizeof...(More) <= 6, "Maximum takes at most eight values");
    return maximumOf({a, b, Variant(more)...});
}
template <class... More>
Variant Minimum(const Variant& a, const Variant& b, const More&... more) {
    static_assert(sizeof...(More) <= 6, "Minimum takes at most eight values");
    return minimumOf({a, b, Variant(more)...});
}

// The stored setting, or `Default` when it is missing, empty or only blanks;
// with `StripSuffix` one `Suffix` at the end is removed.
std::string GetSettingValue(const SettingsStore& store, const std::string& AppName, const std::string& Section,
                            const std::string& Key, const std::string& Default, bool StripSuffix,
                            const std::string& Suffix);

// A date after 30 December 1899 formatted with the date codes of
// `FormatText`, right-aligned in a field as wide as `FormatText`; `Default`
// for Null, Empty and earlier dates. Text that is no date raises error 13.
std::string FormatDatum(const Variant& Value, const std::string& FormatText, const std::string& Default);

// `Default` for Null and Empty; a text with its blanks trimmed; any other
// value unchanged (0 is a value, not missing).
Variant NotNull(const Variant& Value, const Variant& Default);

}  // namespace zelk
