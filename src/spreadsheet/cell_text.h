#pragma once
// Texts on their way into and out of a cell. The file format stores cell
// text as XML, which cannot carry every character, and reserves "_xHHHH_"
// as its escape for those; a literal "_xHHHH_" must therefore be escaped
// itself, or it reads back as another text.

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk {

// Invalid UTF-8 sequences become U+FFFD; a valid text comes back unchanged.
bool isValidUtf8(std::string_view s);
std::string repairUtf8(std::string_view s);

// Length as the sheet counts it: UTF-16 code units. `s` must be valid UTF-8.
std::size_t utf16Length(std::string_view s);

// True when escapeCellText would change `s`.
bool needsCellEscape(std::string_view s);

// The text as the file stores it: characters XML cannot carry (controls
// other than tab and line feed, U+FFFE, U+FFFF) and the underscore of a
// literal "_xHHHH_" written as "_xHHHH_" (NUL included, so the result is a
// C string that holds the whole text). `s` must be valid UTF-8.
std::string escapeCellText(std::string_view s);

// The reverse: "_xHHHH_" becomes its character (a surrogate pair of two
// escapes one character, a lone surrogate U+FFFD).
std::string unescapeCellText(std::string_view s);

}  // namespace zelk
