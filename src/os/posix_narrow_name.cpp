#include "os/narrow_name.h"

namespace zelk::os {

// File names are bytes here; the program's are UTF-8 throughout.
std::string narrowName(const std::string& utf8Path) { return utf8Path; }

}  // namespace zelk::os
