#include "os/folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace zelk::os {

std::filesystem::path temporaryFolder() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    // A TMPDIR that names no folder must not stop a run: /tmp is always there.
    if (ec || dir.empty()) return "/tmp";
    return dir;
}

std::filesystem::path makeUniqueFolder(const std::filesystem::path& parent, const std::string& prefix) {
    std::string name = (parent / (prefix + "XXXXXX")).string();
    if (::mkdtemp(name.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "kan geen map maken in '" + parent.string() + "'");
    return name;
}

bool isOwnFolder(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

}  // namespace zelk::os
