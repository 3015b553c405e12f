#pragma once
// The separator of this platform's file names. The text functions that cut
// paths take any separator; the file services use this one.

namespace zelk {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
inline constexpr const char* kPathSepText = "\\";
// Windows compares file names without regard to case.
inline constexpr bool kCaseInsensitiveFileNames = true;
#else
inline constexpr char kPathSep = '/';
inline constexpr const char* kPathSepText = "/";
inline constexpr bool kCaseInsensitiveFileNames = false;
#endif

}  // namespace zelk
