#include <io.h>

#include <cerrno>
#include <cstring>

#include "os/regular_file.h"
#include "os/win32_native.h"

namespace zelk::os {

std::FILE* openRegularFile(const std::filesystem::path& path, const char* mode) {
    // Devices (NUL, CON, COM1) and pipes have names outside the folders; a
    // folder or a link to one is no file either.
    const std::wstring name = path.wstring();
    if (name.rfind(L"\\\\.\\", 0) == 0 || name.rfind(L"//./", 0) == 0) {
        errno = EINVAL;
        return nullptr;
    }
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        errno = EINVAL;
        return nullptr;
    }
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    std::FILE* f = _wfopen(name.c_str(), wideMode.c_str());
    if (!f) return nullptr;
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != FILE_TYPE_DISK) {
        std::fclose(f);
        errno = EINVAL;
        return nullptr;
    }
    return f;
}

}  // namespace zelk::os
