#pragma once
// Whether this program may read or write a file or folder, as the system
// decides it (rights, read-only mounts, access lists), without opening it.

#include <filesystem>
#include <optional>
#include <string>

namespace zelk::os {

bool mayRead(const std::filesystem::path& path);
bool mayWrite(const std::filesystem::path& path);

// What changes whenever the file's content may have changed: its identity,
// size and modification and status-change times (the last cannot be set
// back). Nothing when the file cannot be examined.
std::optional<std::string> fileStamp(const std::filesystem::path& path);

}  // namespace zelk::os
