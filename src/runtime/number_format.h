#pragma once
// The runtime's number formatting and leading-number reading, with the Dutch
// desktop's separators: "," before the decimals and "." between thousands.

#include <string>
#include <vector>

namespace zelk {

// Format(value, codes) for numbers. Codes: "0" (digit, shown as 0 when
// missing), "#" (digit, left out when missing), "." (decimal separator, shown
// as ","), "," between digit codes (thousands, shown as "."; a "," that no
// digit code follows divides by 1000), "%" (times 100), "\x" and "..."
// literals, up to three sections "positive;negative;zero". Other characters
// are copied. Rounding is half away from zero on the 15-digit decimal value,
// so 2.345 with "0.00" gives 2,35. An empty format gives the general text.
std::string formatNumber(double value, const std::string& codes);

// The sections of a format code ("positive;negative;zero;text"), split at
// the ";" that are neither quoted nor escaped with a backslash.
std::vector<std::string> splitSections(const std::string& codes);

// Val: the leading number of a text ("50%" gives 50, "12.5 cm" 12.5, "x" 0).
// Blanks, tabs and line feeds are skipped; the decimal separator is "."; "&H"
// and "&O" read hexadecimal and octal whole numbers.
double val(const std::string& text);

}  // namespace zelk
