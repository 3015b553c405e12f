#include "os/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "os/process.h"

namespace zelk::os {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

bool gTryUnnamed = true;

mode_t modeFor(const fs::path& target) {
    // The result gets the rights of the file it replaces, or those a new file gets.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string hiddenPattern(const fs::path& target) {
    return (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(processId()) + ".XXXXXX"))
        .string();
}

std::string makeHidden(const fs::path& target, int& fd) {
    std::string name = hiddenPattern(target);
    fd = ::mkstemp(name.data());
    if (fd < 0) fail("kan geen tijdelijk bestand maken in '" + target.parent_path().string() + "'");
    return name;
}

}  // namespace

TempFile::TempFile(const fs::path& target) {
    const mode_t mode = modeFor(target);
#ifdef O_TMPFILE
    if (gTryUnnamed) fd_ = ::open(target.parent_path().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        path_ = "/proc/self/fd/" + std::to_string(fd_);
        if (::access(path_.c_str(), W_OK) == 0) {
            unnamed_ = true;
        } else {
            ::close(fd_);
            fd_ = -1;
        }
    }
#endif
    if (!unnamed_) {
        path_ = makeHidden(target, fd_);
        cleanup_.emplace(std::vector<std::string>{path_});
    }
    (void)::fchmod(fd_, mode);
}

TempFile::~TempFile() {
    if (!unnamed_ && !committed_) ::unlink(path_.c_str());
    cleanup_.reset();
    if (fd_ >= 0) ::close(fd_);
}

void TempFile::sync() {
    if (::fsync(fd_) != 0) fail("wegschrijven naar schijf mislukt");
}

void TempFile::commit(const fs::path& target, bool replace) {
    if (unnamed_) {
        if (!replace) {
            // linkat refuses an existing name, so a file made meanwhile is never overwritten.
            if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0)
                fail("kan '" + target.string() + "' niet aanmaken");
            committed_ = true;
            return;
        }
        // A name of its own first; rename then replaces the target in one step.
        for (int attempt = 0;; ++attempt) {
            std::string hidden = hiddenPattern(target);
            int fd = ::mkstemp(hidden.data());  // only to pick a free name
            if (fd < 0) fail("kan geen tijdelijke naam maken in '" + target.parent_path().string() + "'");
            ::close(fd);
            ::unlink(hidden.c_str());
            if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                if (errno == EEXIST && attempt < 10) continue;
                fail("kan '" + target.string() + "' niet vervangen");
            }
            if (::rename(hidden.c_str(), target.c_str()) != 0) {
                const int err = errno;
                ::unlink(hidden.c_str());
                errno = err;
                fail("kan '" + target.string() + "' niet vervangen");
            }
            committed_ = true;
            return;
        }
    }
    if (replace) {
        if (::rename(path_.c_str(), target.c_str()) != 0) fail("kan '" + target.string() + "' niet vervangen");
    } else {
        if (::link(path_.c_str(), target.c_str()) != 0) fail("kan '" + target.string() + "' niet aanmaken");
        ::unlink(path_.c_str());
    }
    committed_ = true;
    cleanup_.reset();
}

void useUnnamedTempFiles(bool use) { gTryUnnamed = use; }

}  // namespace zelk::os
