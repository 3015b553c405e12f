#pragma once
// Whether this program may read or write a file or folder, as the system
// decides it (rights, read-only mounts, access lists), without opening it.

#include <filesystem>

namespace zelk::os {

bool mayRead(const std::filesystem::path& path);
bool mayWrite(const std::filesystem::path& path);

}  // namespace zelk::os
