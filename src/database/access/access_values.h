#pragma once
// Field values of an Access row turned into what the SQLite copy stores. The
// engine reads them back by the column's declared type (see the table in
// access_import.cpp), so every conversion here must read back to the value
// Access holds.

#include <cstdint>
#include <optional>
#include <string>

namespace zelk::access {

// A Jet date serial (days from 30 December 1899, the fraction the time of
// day; for days before that the fraction still counts forward from midnight)
// as ISO text: "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", or "HH:MM:SS" for a time
// without a date. Seconds are rounded. nullopt outside the years 100..9999.
std::optional<std::string> jetDateText(double serial);

// Currency is a 64-bit integer of ten-thousandths. Stored as a REAL; exact
// (it rounds back to the same ten-thousandths) for amounts below 2^38,
// about 2.7e11; beyond that the last decimal may differ by one.
double currencyToReal(std::int64_t tenThousandths);

// A Decimal (Numeric) field: a sign byte and a 128-bit magnitude in four
// little-endian 32-bit words, most significant word first.
std::string jetNumericText(const std::uint8_t* data17, int scale);  // exact decimal text
double jetNumericToReal(const std::uint8_t* data17, int scale);

// A Replication ID (GUID) as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string jetGuidText(const std::uint8_t* data16);

}  // namespace zelk::access
