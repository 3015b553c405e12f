#include "spreadsheet/temp_workbook_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <system_error>
#include <vector>

namespace zelk {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

bool gTryUnnamed = true;

// A save takes seconds; a file untouched for this long is no save in progress.
constexpr auto kLegacyAge = std::chrono::hours(1);

// The named temporary file of the save in progress, for the signal handler.
// One save runs at a time; the handler only reads this buffer and unlinks.
char gPendingPath[4096];
volatile std::sig_atomic_t gPending = 0;

extern "C" void removePendingAndDie(int sig) {
    if (gPending) ::unlink(gPendingPath);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void guardAgainstSignals() {
    static const bool installed = [] {
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
            struct sigaction old {};
            // A program that handles these itself keeps its handler.
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
                std::signal(sig, removePendingAndDie);
        }
        return true;
    }();
    (void)installed;
}

mode_t modeFor(const fs::path& target) {
    // The workbook gets the rights of the file it replaces, or those a new file gets.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string hiddenPattern(const fs::path& target) {
    return (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".XXXXXX"))
        .string();
}

std::string makeHidden(const fs::path& target, int& fd) {
    std::string name = hiddenPattern(target);
    fd = ::mkstemp(name.data());
    if (fd < 0) fail("kan geen tijdelijk bestand maken in '" + target.parent_path().string() + "'");
    return name;
}

bool processGone(const std::string& digits) {
    if (digits.empty() || digits.size() > 9) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    const pid_t pid = static_cast<pid_t>(std::stol(digits));
    return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

TempWorkbookFile::TempWorkbookFile(const fs::path& target) {
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
        guardAgainstSignals();
        std::strncpy(gPendingPath, path_.c_str(), sizeof gPendingPath - 1);
        gPending = path_.size() < sizeof gPendingPath;
    }
    (void)::fchmod(fd_, mode);
}

TempWorkbookFile::~TempWorkbookFile() {
    if (!unnamed_ && !committed_) ::unlink(path_.c_str());
    if (!unnamed_) gPending = 0;
    if (fd_ >= 0) ::close(fd_);
}

void TempWorkbookFile::sync() {
    if (::fsync(fd_) != 0) fail("wegschrijven naar schijf mislukt");
}

void TempWorkbookFile::commit(const fs::path& target, bool replace) {
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
    gPending = 0;
}

void useUnnamedTempWorkbooks(bool use) { gTryUnnamed = use; }

void removeStaleTempWorkbooks(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> stale;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        // ".<name>.xlsx.<pid>.XXXXXX"
        const std::string name = it->path().filename().string();
        if (name.size() < 2 || name[0] != '.') continue;
        const auto random = name.rfind('.');
        if (random == std::string::npos || random == 0 || name.size() - random != 7) continue;
        if (random >= 6 && name.compare(random - 5, 5, ".xlsx") == 0) {
            // Earlier versions named them ".<name>.xlsx.XXXXXX", without the
            // pid: those are taken once nobody can still be writing them.
            std::error_code age;
            const auto written = fs::last_write_time(it->path(), age);
            if (!age && now - written > kLegacyAge) stale.push_back(it->path());
            continue;
        }
        const auto pid = name.rfind('.', random - 1);
        if (pid == std::string::npos || pid < 6 || name.compare(pid - 5, 5, ".xlsx") != 0) continue;
        if (processGone(name.substr(pid + 1, random - pid - 1))) stale.push_back(it->path());
    }
    for (const auto& p : stale) fs::remove(p, ec);
}

}  // namespace zelk
