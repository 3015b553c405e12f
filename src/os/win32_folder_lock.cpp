#include "os/folder_lock.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

// Windows locks files, not folders: the lock is a hidden file beside the
// folder, held open without sharing and deleted when its handle closes, so
// it goes with the process however that ends.
std::wstring lockFileOf(const std::filesystem::path& folder) {
    std::filesystem::path name = folder;
    name += L".lock";
    return name.wstring();
}

}  // namespace

std::optional<FolderLock> FolderLock::tryTake(const std::filesystem::path& folder) {
    const DWORD attributes = GetFileAttributesW(folder.wstring().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return std::nullopt;
    HANDLE h = CreateFileW(lockFileOf(folder).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    return FolderLock(reinterpret_cast<std::intptr_t>(h));
}

FolderLock::~FolderLock() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

}  // namespace zelk::os
