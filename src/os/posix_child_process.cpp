#include "os/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "os/isolated_job.h"

namespace zelk::os {

namespace {

using isolated::kAlive;
using isolated::kExitFailed;
using isolated::kExitReported;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

using Clock = std::chrono::steady_clock;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::uint64_t currentAddressSpace() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long long pages = 0;
    const int read = std::fscanf(f, "%llu", &pages);
    std::fclose(f);
    return read == 1 ? pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}

void setLimit(int resource, std::uint64_t value) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0) return;
    rlim_t wanted = static_cast<rlim_t>(value);
    if (limit.rlim_max != RLIM_INFINITY && wanted > limit.rlim_max) wanted = limit.rlim_max;
    limit.rlim_cur = wanted;
    setrlimit(resource, &limit);
}

[[noreturn]] void leaveChild() { _exit(kExitFailed); }

[[noreturn]] void runChild(int fd, pid_t parent, std::uint64_t addressSpace, IsolatedJob job,
                           const std::string& argument, const ChildLimits& limits) {
    // Die with the parent; and if the parent is already gone, do not start.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(kExitFailed);

    // Crashes end the child; the parent's own handlers must not run here.
    for (int sig :
         {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGXFSZ, SIGXCPU, SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // A library that calls exit() must not run the parent's atexit handlers
    // or flush its stdio buffers: this handler, registered last, runs first.
    std::atexit(leaveChild);

    const int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        if (devnull > STDERR_FILENO) ::close(devnull);
    }
    setLimit(RLIMIT_CORE, 0);
    if (limits.maxFileBytes) setLimit(RLIMIT_FSIZE, limits.maxFileBytes);
    if (limits.extraAddressSpace && addressSpace && !kAddressSanitizer)
        setLimit(RLIMIT_AS, addressSpace + limits.extraAddressSpace);

    auto last = Clock::now();
    const auto alive = [&] {
        const auto now = Clock::now();
        if (now - last < std::chrono::milliseconds(100)) return;
        last = now;
        writeAll(fd, &kAlive, 1);
    };
    try {
        const std::string bytes = isolated::frame(job(argument, alive));
        if (writeAll(fd, bytes.data(), bytes.size())) _exit(kExitReported);
    } catch (...) {
        // Process boundary: whatever the job threw, the child can only fail
        // through its exit status; the caller reports that.
    }
    _exit(kExitFailed);
}

}  // namespace

IsolatedRun runIsolated(const std::string& job, const std::string& argument, std::chrono::milliseconds idleTimeout,
                        const ChildLimits& limits) {
    IsolatedRun run;
    const IsolatedJob work = isolated::findJob(job);
    if (!work) return run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return run;
    const std::uint64_t addressSpace = currentAddressSpace();
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return run;
    }
    if (pid == 0) {
        ::close(fds[0]);
        runChild(fds[1], parent, addressSpace, work, argument, limits);
    }
    ::close(fds[1]);

    // Read until the child closes its end: any bytes push the deadline back.
    isolated::ReportReader reader(limits.maxReportBytes);
    bool timedOut = false;
    bool overflow = false;
    auto deadline = Clock::now() + idleTimeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        char buf[65536];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the child closed its end (it is exiting)
        if (!reader.take(buf, static_cast<std::size_t>(n))) {
            overflow = true;
            break;
        }
        deadline = Clock::now() + idleTimeout;
    }
    ::close(fds[0]);
    int status = 0;
    if (timedOut || overflow) kill(pid, SIGKILL);
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    // Without a status (a SIGCHLD handler elsewhere reaped it) the complete
    // report alone counts.
    const bool exitedCleanly = waited < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == kExitReported);

    if (timedOut) {
        run.end = IsolatedRun::End::TimedOut;
        return run;
    }
    if (overflow) {
        run.end = IsolatedRun::End::Crashed;
        return run;
    }
    return reader.finish(exitedCleanly);
}

// A forked child runs its job from runIsolated itself.
void runIsolatedJobIfChild() {}

}  // namespace zelk::os
