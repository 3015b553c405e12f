#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "os/folders.h"
#include "os/scratch_file.h"

namespace zelk::os {
namespace {

std::system_error lastError(const char* what) { return {errno, std::generic_category(), what}; }

}  // namespace

ScratchFile::ScratchFile() {
    const std::filesystem::path dir = temporaryFolder();
    fd_ = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) return;
    // File systems without O_TMPFILE: make a name and drop it at once.
    std::string name = (dir / "zelk-rows-XXXXXX").string();
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) throw lastError("scratch file");
    ::unlink(name.c_str());
}

ScratchFile::~ScratchFile() {
    if (fd_ >= 0) ::close(static_cast<int>(fd_));
}

void ScratchFile::writeAt(const void* data, std::size_t size, std::uint64_t offset, std::size_t& done) {
    const char* bytes = static_cast<const char*>(data);
    done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(static_cast<int>(fd_), bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw lastError("scratch file write");
        if (n == 0) throw std::system_error(ENOSPC, std::generic_category(), "scratch file write");
        done += static_cast<std::size_t>(n);
    }
}

std::size_t ScratchFile::readAt(void* data, std::size_t size, std::uint64_t offset) const {
    for (;;) {
        const ssize_t n = ::pread(static_cast<int>(fd_), data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw lastError("scratch file read");
        return static_cast<std::size_t>(n);
    }
}

}  // namespace zelk::os
