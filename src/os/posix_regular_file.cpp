#include "os/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelk::os {

std::FILE* openRegularFile(const std::filesystem::path& path, const char* mode) {
    const bool update = std::strchr(mode, '+') != nullptr;
    int flags = update ? O_RDWR : O_RDONLY;
    bool empty = false;
    switch (mode[0]) {
    case 'r': break;
    case 'w':
        flags = (update ? O_RDWR : O_WRONLY) | O_CREAT;
        empty = true;
        break;
    case 'a': flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: errno = EINVAL; return nullptr;
    }
    // Without waiting: a FIFO opens at once (for writing without a reader it
    // fails at once), and is then refused.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return nullptr;
    struct stat info {};
    const auto fail = [fd](int error) -> std::FILE* {
        ::close(fd);
        errno = error;
        return nullptr;
    };
    if (::fstat(fd, &info) != 0) return fail(errno);
    if (!S_ISREG(info.st_mode)) return fail(EINVAL);
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return fail(errno);
    if (empty && ::ftruncate(fd, 0) != 0) return fail(errno);
    std::FILE* f = ::fdopen(fd, mode);
    if (!f) return fail(errno);
    return f;
}

}  // namespace zelk::os
