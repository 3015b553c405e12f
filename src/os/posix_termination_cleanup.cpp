#include "os/termination_cleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace zelk::os {

namespace {

// The handler may only make async-signal-safe calls, so every name it
// removes is written out beforehand into a fixed table.

constexpr std::size_t kMaxPath = 4096;
constexpr std::size_t kMaxFiles = 4;
constexpr std::array<int, 4> kSignals = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

struct Slot {
    std::atomic<bool> used{false};
    std::array<std::array<char, kMaxPath>, kMaxFiles> files{};
    std::array<char, kMaxPath> folder{};
};

std::array<Slot, 8> slots;
std::array<struct sigaction, kSignals.size()> previous{};
std::array<bool, kSignals.size()> installed{};
std::mutex registry;
int inUse = 0;

void removeSlot(const Slot& slot) {
    for (const auto& file : slot.files)
        if (file[0] != '\0') ::unlink(file.data());
    if (slot.folder[0] != '\0') ::rmdir(slot.folder.data());
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

}  // namespace

TerminationCleanup::TerminationCleanup(const std::vector<std::string>& files, const std::string& folder) {
    if (files.size() > kMaxFiles) return;
    SignalsBlocked blocked;
    const std::lock_guard<std::mutex> lock(registry);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        Slot& slot = slots[i];
        if (slot.used.load(std::memory_order_relaxed)) continue;
        bool fits = copyInto(slot.folder, folder);
        for (std::size_t k = 0; k < kMaxFiles; ++k)
            fits = fits && copyInto(slot.files[k], k < files.size() ? files[k] : std::string());
        if (!fits) return;
        slot.used.store(true, std::memory_order_release);
        if (inUse++ == 0) installHandlers();
        slot_ = static_cast<int>(i);
        return;
    }
}

TerminationCleanup::~TerminationCleanup() {
    if (slot_ < 0) return;
    SignalsBlocked blocked;
    const std::lock_guard<std::mutex> lock(registry);
    slots[static_cast<std::size_t>(slot_)].used.store(false, std::memory_order_release);
    if (--inUse == 0) restoreHandlers();
}

}  // namespace zelk::os
