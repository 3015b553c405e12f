#pragma once
// An advisory lock on a folder that tells other runs it is in use. It lasts
// as long as this object, and as long as any child process started while it
// was held; it ends with the process however that ends.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace zelk::os {

class FolderLock {
public:
    // Nothing when `folder` is not a folder, is a symbolic link, or is
    // already locked by another holder.
    static std::optional<FolderLock> tryTake(const std::filesystem::path& folder);

    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    explicit FolderLock(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1;  // a file descriptor, or a Windows handle
};

}  // namespace zelk::os
