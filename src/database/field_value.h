#pragma once
// How a stored SQLite value becomes a Variant: by the column's declared type,
// as the asset tables declare them (TEXT, INTEGER, SMALLINT, CURRENCY,
// DATETIME...). Dates are stored as ISO 8601 text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/variant.h"

namespace zelk {

enum class FieldKind : std::uint8_t { Text, Long, Integer, Single, Double, Currency, Date, Boolean, Untyped };

// The kind for a declared column type; Untyped when there is none (an
// expression) or the type is not one the program knows.
FieldKind fieldKindOf(std::string_view declaredType);

// One stored value, as SQLite hands it out.
struct StoredValue {
    enum Class : std::uint8_t { Null, Integer, Real, Text, Blob } cls = Null;
    std::int64_t i = 0;
    double r = 0;
    std::string_view text;  // Text and Blob
};

// The Variant of a stored value. Runtime error 13 when it does not convert
// (a DATETIME that is no date, a CURRENCY that is no number), 6 when a whole
// number does not fit its kind.
Variant fieldValue(FieldKind kind, const StoredValue& v);

// A stored text as the number it holds in the form SQLite writes numbers
// (a point for decimals, no blanks); none when it holds none, or an infinity.
std::optional<double> storedNumber(std::string_view text);

// ISO 8601 date texts: "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" (also with "T"
// and fractional seconds) and "HH:MM:SS".
std::optional<Date> parseIsoDate(std::string_view text);
// "YYYY-MM-DD" for a whole day, "YYYY-MM-DD HH:MM:SS" otherwise, "HH:MM:SS"
// for a time alone (a serial below 1).
std::string isoDateText(Date d);

}  // namespace zelk
