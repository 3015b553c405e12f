#pragma once
// What std::filesystem does not offer for folders.

#include <filesystem>
#include <string>

namespace zelk::os {

// The folder for scratch files: the one the usual variables (TMPDIR and its
// kin) name when that is a folder, else /tmp.
std::filesystem::path temporaryFolder();

// Makes "<parent>/<prefix>XXXXXX" with a fresh random tail, readable only by
// this user. std::system_error when none can be made.
std::filesystem::path makeUniqueFolder(const std::filesystem::path& parent, const std::string& prefix);

// A real folder (not a symbolic link to one) that belongs to the user this
// program runs as.
bool isOwnFolder(const std::filesystem::path& path);

// Makes the folder's entries (a new or renamed file) durable. Best effort:
// not every file system allows it.
void syncFolder(const std::filesystem::path& folder);

}  // namespace zelk::os
