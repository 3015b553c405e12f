#include "os/file_access.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

// Asks the system the way an open would, without keeping the file open and
// without keeping others out: access lists and read-only attributes decide.
bool mayOpen(const std::filesystem::path& path, DWORD access) {
    const win32::Handle h(CreateFileW(win32::wide(path).c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // Another program holding the file does not make it forbidden.
    return static_cast<bool>(h) || GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

bool mayRead(const std::filesystem::path& path) { return mayOpen(path, GENERIC_READ); }

bool mayWrite(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(win32::wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    // A folder is written by making files in it; its read-only flag means nothing there.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return mayOpen(path, FILE_ADD_FILE);
    return !(attributes & FILE_ATTRIBUTE_READONLY) && mayOpen(path, GENERIC_WRITE);
}

std::optional<std::string> fileStamp(const std::filesystem::path& path) {
    const win32::Handle h(CreateFileW(win32::wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
    // ChangeTime is the status-change time: any write or rename moves it.
    const bool changed = GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic);
    const auto join = [](DWORD high, DWORD low) {
        return std::to_string((static_cast<unsigned long long>(high) << 32) | low);
    };
    return std::to_string(info.dwVolumeSerialNumber) + ":" + join(info.nFileIndexHigh, info.nFileIndexLow) + ":" +
           join(info.nFileSizeHigh, info.nFileSizeLow) + ":" +
           join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) + ":" +
           (changed ? std::to_string(basic.ChangeTime.QuadPart) : std::string("-"));
}

}  // namespace zelk::os
