#pragma once
// Conversions for data exchange with IBM-style record formats: zoned-decimal
// amounts with the sign punched into the last digit, rounding to a fixed
// number of decimals, check-box values, and whole numbers packed into texts
// of two or four characters (one Windows-1252 character per byte, lowest
// byte first). Unknown formats, signs and decimal counts are reported in a
// message box and do not raise errors.

#include <cstdint>
#include <string>

#include "runtime/variant.h"

namespace zelk {

class Platform;

// `Formaat` is a number format whose last character is "0" (plain), "+"
// (sign punched only when negative) or "-" (sign always punched): with
// "0000000+" -123.45 gives 0000012L. Another ending shows
// "Systeemfout: Dit IBM formaat is onbekend" and gives Empty. Null gives Null.
Variant FormatIbmBedrag(Platform& platform, const Variant& Bedrag, const std::string& Formaat);

// The last character of `Bedrag`, when a digit, replaced by its "+" or "-"
// letter ("1230" with "-" gives "123}"). Another `Teken` shows
// "Systeemfout: Teken bij IBM conversie onbekend" and returns `Bedrag`.
std::string ConvertIbmTeken(Platform& platform, const std::string& Bedrag, const std::string& Teken);

// Half up on the number line to 0..4 decimals, in double precision (so 1.005
// to 2 decimals gives 1). Another count shows "Afronden niet mogelijk" and
// returns `Bedrag` unchanged. Null gives Null.
Variant Round(Platform& platform, const Variant& Bedrag, const Variant& decimalen);

// A Boolean gives the Integer 1 or 0; a value equal to 1 or 0 gives True or
// False; anything else gives Empty.
Variant TransCheckBoxValue(const Variant& Waarde);

std::string MKI(std::int16_t piX);
std::string MKL(std::int32_t PLx);
// A text of any other length than 2 (4) characters raises error 13
// "Illegal function call (CVI)" ("... (CVL)").
std::int16_t CVI(const std::string& ptX);
std::int32_t CVL(const std::string& ptX);

}  // namespace zelk
