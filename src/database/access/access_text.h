#pragma once
// Texts as an Access file stores them, turned into UTF-8. Jet 4 and ACE keep
// texts in UTF-16, optionally "compressed" (runs of one-byte characters); Jet 3
// keeps them in the Windows code page, which for the files this program meets
// is Windows-1252.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::access {

std::string utf16ToUtf8(std::u16string_view units);  // lone surrogates become U+FFFD
std::u16string utf8ToUtf16(std::string_view text);   // malformed bytes become U+FFFD

// A text value of a Jet 4 / ACE row (compressed or not).
std::string decodeJet4Text(const std::uint8_t* data, std::size_t size);
// A text value of a Jet 3 row.
std::string decodeJet3Text(const std::uint8_t* data, std::size_t size);
std::u16string windows1252ToUtf16(const std::uint8_t* data, std::size_t size);

}  // namespace zelk::access
