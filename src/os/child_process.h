#pragma once
// Runs a piece of work in a child process, so that a crash, a hang or a
// runaway allocation in it cannot take the program down. The child reports
// back through a pipe; the parent kills it when it shows no sign of life for
// a while.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace zelk::os {

struct ChildLimits {
    std::uint64_t maxFileBytes = 0;       // largest file the child may write (0: no limit)
    std::uint64_t extraAddressSpace = 0;  // address space beyond what the parent uses (0: no limit)
    std::uint64_t maxReportBytes = 0;     // largest report (0: no limit); a larger one counts as a crash
};

struct IsolatedRun {
    enum class End { Reported, Crashed, TimedOut, NotStarted };
    End end = End::NotStarted;
    std::string report;  // what the child returned, when it ended Reported
};

// `work` runs in the child and may call `alive()` (cheap; it is throttled) to
// show progress; its return value is handed to the parent. The child never
// returns into the caller's code: it leaves with _exit, so no atexit handler,
// static destructor or stdio buffer of the parent runs or flushes twice.
IsolatedRun runIsolated(const std::function<std::string(const std::function<void()>& alive)>& work,
                        std::chrono::milliseconds idleTimeout, const ChildLimits& limits);

}  // namespace zelk::os
