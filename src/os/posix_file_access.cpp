#include "os/file_access.h"

#include <sys/stat.h>
#include <unistd.h>

namespace zelk::os {

bool mayRead(const std::filesystem::path& path) { return ::access(path.c_str(), R_OK) == 0; }
bool mayWrite(const std::filesystem::path& path) { return ::access(path.c_str(), W_OK) == 0; }

std::optional<std::string> fileStamp(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    const auto ns = [](const timespec& t) { return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec); };
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
           ns(st.st_mtim) + ":" + ns(st.st_ctim);
}

}  // namespace zelk::os
