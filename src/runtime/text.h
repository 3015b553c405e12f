#pragma once
// Texts are UTF-8 inside the program. Files and packed numbers speak the
// Windows-1252 single-byte code page, and the runtime's text functions count
// characters, not bytes; these helpers bridge the two.

#include <string>
#include <string_view>

namespace zelk {

// Bytes in the UTF-8 sequence a byte starts: 1 to 4, or 0 for a byte that
// starts none.
std::size_t utf8LeadSize(unsigned char lead);

// The character whose UTF-8 form starts at s[i], and its length in bytes;
// a length of 0 when the bytes there form none (a sequence cut short,
// an overlong form, a surrogate, a value past U+10FFFF). `i` < s.size().
struct Utf8Char {
    char32_t cp = 0;
    std::size_t size = 0;
};
Utf8Char utf8CharAt(std::string_view s, std::size_t i);

// Invalid UTF-8 bytes become U+FFFD, so any byte string converts.
std::u32string utf8ToU32(const std::string& s);
std::string u32ToUtf8(const std::u32string& s);
// One code point as UTF-8; a surrogate or a value past U+10FFFF becomes U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

// A character that Windows-1252 cannot hold becomes "?". The five bytes the
// code page leaves undefined (81, 8D, 8F, 90, 9D) map to the control
// characters of the same number, so every byte survives a round trip.
std::string utf8ToCp1252(const std::string& utf8);
std::string cp1252ToUtf8(const std::string& bytes);
// One character's byte; '?' when it has none.
unsigned char cp1252Byte(char32_t c);
char32_t cp1252Char(unsigned char b);

// UCase and LCase: ASCII, Latin-1 and the Windows-1252 letters.
std::string upperCase(const std::string& utf8);
std::string lowerCase(const std::string& utf8);
char32_t upperChar(char32_t c);
char32_t lowerChar(char32_t c);

// Trim, LTrim and RTrim remove blanks (spaces) only, as the runtime does.
std::string trimBlanks(const std::string& s);

// Text with the message box's CR LF and lone CR turned into plain line feeds.
std::string plainLines(const std::string& text);

// Len of a text in characters.
std::size_t charLength(const std::string& utf8);

}  // namespace zelk
