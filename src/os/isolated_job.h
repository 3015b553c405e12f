#pragma once
// What both systems' children share: the job table and the report's framing
// on the pipe (progress marks, then a marker, the length and the bytes).

#include <cstddef>
#include <cstdint>
#include <string>

#include "os/child_process.h"

namespace zelk::os::isolated {

constexpr char kAlive = 'P';
constexpr int kExitReported = 0;
constexpr int kExitFailed = 70;

// Nothing when no job has that name.
IsolatedJob findJob(const std::string& name);

// The bytes a child writes for its report.
std::string frame(const std::string& report);

// Collects what the parent reads from the pipe.
class ReportReader {
public:
    explicit ReportReader(std::uint64_t maxReportBytes) : maxReportBytes_(maxReportBytes) {}
    // False once the report is over its limit: the child is then killed.
    bool take(const char* data, std::size_t size);
    // The run as the child ended it: Crashed unless a whole report came and
    // the child exited cleanly.
    IsolatedRun finish(bool exitedCleanly) const;

private:
    std::uint64_t maxReportBytes_;
    std::string received_;
    bool inReport_ = false;
};

}  // namespace zelk::os::isolated
