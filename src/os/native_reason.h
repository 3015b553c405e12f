#pragma once
// The Dutch texts behind reasonText, for errno values (every system) and for
// the system's own codes (std::system_category: errno values on POSIX,
// Windows error codes on Windows). nullptr when there is none.

namespace zelk::os {

const char* errnoReason(int value);
const char* nativeReason(int value);

}  // namespace zelk::os
