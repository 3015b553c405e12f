#pragma once
// Runs a piece of work in a child process, so that a crash, a hang or a
// runaway allocation in it cannot take the program down. The child reports
// back through a pipe; the parent kills it when it shows no sign of life for
// a while.
//
// The work is a named job rather than a closure: where the system has no
// fork (Windows), the child is this program started afresh, which finds the
// job by its name and gets its argument through the pipe. Both systems run
// jobs the same way, so what works on one works on the other.

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

// A job gets its argument and may call `alive()` (cheap; it is throttled) to
// show progress; its return value is handed to the parent. It must not rely
// on anything the parent set up at run time beyond its argument.
using IsolatedJob = std::string (*)(const std::string& argument, const std::function<void()>& alive);

// Makes `job` known under `name`; a namespace-scope object per job, so the
// name is known in the child before main runs.
class IsolatedJobName {
public:
    IsolatedJobName(const char* name, IsolatedJob job);
};

// Runs the job registered as `job` with `argument` in a child. The child
// never returns into the caller's code: it leaves through the system's
// immediate exit, so no atexit handler, static destructor or stdio buffer of
// the parent runs or flushes twice. An unknown job ends NotStarted.
IsolatedRun runIsolated(const std::string& job, const std::string& argument, std::chrono::milliseconds idleTimeout,
                        const ChildLimits& limits);

// First thing in main() of every program that runs isolated jobs: when this
// process was started as such a child, runs its job and ends the process.
// Otherwise (and always where children are forked) returns at once.
void runIsolatedJobIfChild();

}  // namespace zelk::os
