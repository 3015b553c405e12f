#include "spreadsheet/temp_workbook_file.h"

#include <chrono>
#include <string>
#include <system_error>
#include <vector>

#include "os/process.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;

// A save takes seconds; a file untouched for this long is no save in progress.
constexpr auto kLegacyAge = std::chrono::hours(1);

bool processGone(const std::string& digits) {
    if (digits.empty() || digits.size() > 9) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    return os::processGone(std::stol(digits));
}

}  // namespace

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
