#include "os/folders.h"
#include "os/win32_native.h"

namespace zelk::os {

std::filesystem::path temporaryFolder() {
    // GetTempPathW reads TMP, then TEMP, then USERPROFILE, then the Windows folder.
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    // GetTempPathW ends the folder with a separator; names are joined to it.
    std::wstring name = dir.wstring();
    while (name.size() > 3 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
    dir = name;
    if (!ec && !dir.empty() && std::filesystem::is_directory(dir, ec)) return dir;
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    return std::filesystem::path(std::wstring(windows, n)) / L"Temp";
}

std::filesystem::path makeUniqueFolder(const std::filesystem::path& parent, const std::string& prefix) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = parent / win32::wide(prefix + win32::randomTail());
        // A new folder inherits the access list of the user's temporary folder,
        // which is the user's own.
        if (CreateDirectoryW(candidate.wstring().c_str(), nullptr)) return candidate;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw win32::lastError("kan geen map maken in '" + win32::utf8(parent.wstring()) + "'");
}

bool isOwnFolder(const std::filesystem::path& path) {
    // Windows keeps other users out of a user's temporary folder by its access
    // list; what remains to check is that this is a real folder, no link.
    const DWORD attributes = GetFileAttributesW(path.wstring().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void syncFolder(const std::filesystem::path&) {
    // NTFS keeps its folder entries in its journal; a moved file is made
    // durable by MoveFileExW's MOVEFILE_WRITE_THROUGH.
}

}  // namespace zelk::os
