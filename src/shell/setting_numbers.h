#pragma once
// How the shell turns stored setting texts into numbers. The window keys use
// the leading-number reading (val, runtime/number_format.h), so a damaged
// value gives 0 instead of an error; the switches are whole numbers, and
// "Autorun" is a real number compared with 0.

#include <optional>
#include <string>

namespace zelk {

// A 16-bit whole number as a check box stores it ("0", "1"); nullopt when the
// text is not one.
std::optional<int> wholeNumberSetting(const std::string& text);

// A real number ("1", " 2 ", "0,5"); nullopt when the text is not one.
std::optional<double> realNumberSetting(const std::string& text);

// The text of a number as Str writes it: a leading blank when not negative.
std::string strText(double value);
// The text of a single-precision value as the window's properties give it.
std::string singleText(float value);

}  // namespace zelk
