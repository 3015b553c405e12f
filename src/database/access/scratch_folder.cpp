#include "database/access/scratch_folder.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>

namespace zelk::access {

namespace {

// ---- removal on SIGTERM, SIGINT and SIGHUP
//
// The handler may only make async-signal-safe calls, so every name it
// removes is written out beforehand into a fixed table.

constexpr std::size_t kMaxPath = 4096;
constexpr std::array<const char*, 4> kSuffixes = {"", "-journal", "-wal", "-shm"};
constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

struct Slot {
    std::atomic<bool> used{false};
    std::array<std::array<char, kMaxPath>, kSuffixes.size()> files{};
    std::array<char, kMaxPath> folder{};
};

std::array<Slot, 8> slots;
std::array<struct sigaction, kSignals.size()> previous{};
std::array<bool, kSignals.size()> installed{};
std::mutex registry;
int inUse = 0;

void removeSlot(const Slot& slot) {
    for (const auto& file : slot.files) ::unlink(file.data());
    ::rmdir(slot.folder.data());
}

extern "C" void onTermination(int sig, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    for (const Slot& slot : slots)
        if (slot.used.load(std::memory_order_acquire)) removeSlot(slot);
    // Then whatever was there before: the program's own handler, or the
    // default, which ends the program once this handler returns.
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (kSignals[i] != sig) continue;
        const struct sigaction& before = previous[i];
        if (before.sa_flags & SA_SIGINFO) {
            if (before.sa_sigaction) before.sa_sigaction(sig, info, context);
        } else if (before.sa_handler == SIG_DFL) {
            struct sigaction deflt {};
            deflt.sa_handler = SIG_DFL;
            sigemptyset(&deflt.sa_mask);
            sigaction(sig, &deflt, nullptr);
            raise(sig);  // blocked until the handler returns
        } else if (before.sa_handler != SIG_IGN) {
            before.sa_handler(sig);
        }
    }
    errno = savedErrno;
}

bool ours(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) && action.sa_sigaction == onTermination;
}

void installHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        if (sigaction(kSignals[i], nullptr, &current) != 0 || ours(current)) continue;
        // An ignored signal does not end the program: nothing to clean up.
        if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN) continue;
        previous[i] = current;
        struct sigaction action {};
        action.sa_sigaction = onTermination;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int s : kSignals) sigaddset(&action.sa_mask, s);
        installed[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

void restoreHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (!installed[i]) continue;
        struct sigaction current {};
        // A handler set after ours stays; ours then still runs through it.
        if (sigaction(kSignals[i], nullptr, &current) == 0 && ours(current)) {
            sigaction(kSignals[i], &previous[i], nullptr);
            installed[i] = false;
        }
    }
}

// Keeps the signals away from this thread while the table changes.
class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals) sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t old_;
};

bool copyInto(std::array<char, kMaxPath>& out, const std::string& text) {
    if (text.size() >= out.size()) return false;
    std::memcpy(out.data(), text.c_str(), text.size() + 1);
    return true;
}

int registerFolder(const std::string& folder, const std::string& copy) {
    SignalsBlocked blocked;
    const std::lock_guard<std::mutex> lock(registry);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        Slot& slot = slots[i];
        if (slot.used.load(std::memory_order_relaxed)) continue;
        bool fits = copyInto(slot.folder, folder);
        for (std::size_t k = 0; k < kSuffixes.size(); ++k) fits = fits && copyInto(slot.files[k], copy + kSuffixes[k]);
        if (!fits) return -1;
        slot.used.store(true, std::memory_order_release);
        if (inUse++ == 0) installHandlers();
        return static_cast<int>(i);
    }
    return -1;  // more imports at once than slots: only the usual removal
}

void unregisterFolder(int index) {
    if (index < 0) return;
    SignalsBlocked blocked;
    const std::lock_guard<std::mutex> lock(registry);
    slots[static_cast<std::size_t>(index)].used.store(false, std::memory_order_release);
    if (--inUse == 0) restoreHandlers();
}

// A folder this young may still be between its creation and its lock.
constexpr auto kStaleAfter = std::chrono::seconds(30);

}  // namespace

ScratchFolder::ScratchFolder() {
    removeStaleScratchFolders();
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    if (ec) throw std::runtime_error("no temporary directory");
    std::string tmpl = (base / (std::string(kPrefix) + "XXXXXX")).string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = tmpl;
    // The lock tells later runs that the folder is in use; it goes with the
    // process (and with the reader child, which inherits it).
    lock_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock_ >= 0) ::flock(lock_, LOCK_EX | LOCK_NB);
    slot_ = registerFolder(path_, copyPath());
}

ScratchFolder::~ScratchFolder() {
    unregisterFolder(slot_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    if (lock_ >= 0) ::close(lock_);
}

void removeStaleScratchFolders() {
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    const auto now = std::chrono::system_clock::now();
    for (auto it = std::filesystem::directory_iterator(base, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(ScratchFolder::kPrefix, 0) != 0) continue;
        const std::string path = it->path().string();
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) continue;
        const auto changed = std::chrono::system_clock::from_time_t(info.st_mtime);
        if (now - changed < kStaleAfter) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        ::close(fd);
    }
}

}  // namespace zelk::access
