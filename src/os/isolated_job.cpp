#include "os/isolated_job.h"

#include <cstring>
#include <map>

namespace zelk::os {
namespace {

constexpr char kReport = 'R';

std::map<std::string, IsolatedJob>& jobs() {
    static std::map<std::string, IsolatedJob> table;
    return table;
}

}  // namespace

IsolatedJobName::IsolatedJobName(const char* name, IsolatedJob job) { jobs()[name] = job; }

namespace isolated {

IsolatedJob findJob(const std::string& name) {
    const auto found = jobs().find(name);
    return found == jobs().end() ? nullptr : found->second;
}

std::string frame(const std::string& report) {
    const std::uint64_t size = report.size();
    std::string bytes(1 + sizeof size, kReport);
    std::memcpy(bytes.data() + 1, &size, sizeof size);
    return bytes + report;
}

bool ReportReader::take(const char* data, std::size_t size) {
    // Progress marks before the report are not kept: only the report counts
    // against the limit.
    if (!inReport_) {
        while (size > 0 && *data == kAlive) {
            ++data;
            --size;
        }
        inReport_ = size > 0;
    }
    received_.append(data, size);
    return !maxReportBytes_ || received_.size() <= maxReportBytes_ + 16;
}

IsolatedRun ReportReader::finish(bool exitedCleanly) const {
    IsolatedRun run;
    run.end = IsolatedRun::End::Crashed;
    std::uint64_t size = 0;
    constexpr std::size_t headerEnd = 1 + sizeof size;
    if (!exitedCleanly || received_.size() < headerEnd || received_[0] != kReport) return run;
    std::memcpy(&size, received_.data() + 1, sizeof size);
    if (received_.size() - headerEnd != size) return run;
    run.report = received_.substr(headerEnd);
    run.end = IsolatedRun::End::Reported;
    return run;
}

}  // namespace isolated
}  // namespace zelk::os
