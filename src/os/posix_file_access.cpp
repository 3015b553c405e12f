#include "os/file_access.h"

#include <unistd.h>

namespace zelk::os {

bool mayRead(const std::filesystem::path& path) { return ::access(path.c_str(), R_OK) == 0; }
bool mayWrite(const std::filesystem::path& path) { return ::access(path.c_str(), W_OK) == 0; }

}  // namespace zelk::os
