#include <algorithm>

#include "os/narrow_name.h"
#include "os/win32_native.h"

namespace zelk::os {

std::string narrowName(const std::string& utf8Path) {
    const bool ascii =
        std::all_of(utf8Path.begin(), utf8Path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || GetACP() == CP_UTF8) return utf8Path;
    const std::wstring wide = win32::wide(utf8Path);
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return utf8Path;
    std::wstring shortName(size, L'\0');
    const DWORD written = GetShortPathNameW(wide.c_str(), shortName.data(), size);
    shortName.resize(written);
    const bool shortAscii = std::all_of(shortName.begin(), shortName.end(), [](wchar_t c) { return c < 0x80; });
    return written > 0 && shortAscii ? win32::utf8(shortName) : utf8Path;
}

}  // namespace zelk::os
