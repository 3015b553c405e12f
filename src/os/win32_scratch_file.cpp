#include <string>
#include <system_error>

#include "os/folders.h"
#include "os/scratch_file.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

HANDLE handleOf(std::intptr_t fd) { return reinterpret_cast<HANDLE>(fd); }

}  // namespace

ScratchFile::ScratchFile() {
    // Deleted when its handle closes, however the process ends; shared with
    // nobody, so no other program opens it meanwhile.
    const std::filesystem::path dir = temporaryFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = (dir / ("zelk-rows-" + win32::randomTail())).wstring();
        HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            fd_ = reinterpret_cast<std::intptr_t>(h);
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    throw win32::lastError("scratch file");
}

ScratchFile::~ScratchFile() {
    if (fd_ != -1) CloseHandle(handleOf(fd_));
}

void ScratchFile::writeAt(const void* data, std::size_t size, std::uint64_t offset, std::size_t& done) {
    const char* bytes = static_cast<const char*>(data);
    done = 0;
    while (done < size) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handleOf(fd_), bytes + done, chunk, &written, &at)) throw win32::lastError("scratch file write");
        if (written == 0) throw std::system_error(ENOSPC, std::generic_category(), "scratch file write");
        done += written;
    }
}

std::size_t ScratchFile::readAt(void* data, std::size_t size, std::uint64_t offset) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(handleOf(fd_), data, chunk, &read, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        throw win32::lastError("scratch file read");
    }
    return read;
}

}  // namespace zelk::os
