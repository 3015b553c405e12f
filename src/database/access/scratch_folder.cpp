#include "database/access/scratch_folder.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "os/folders.h"
#include "os/system_reason.h"

namespace zelk::access {

namespace {

// A folder this young may still be between its creation and its lock.
constexpr auto kStaleAfter = std::chrono::seconds(30);

}  // namespace

ScratchFolder::ScratchFolder() {
    removeStaleScratchFolders();
    try {
        path_ = os::makeUniqueFolder(os::temporaryFolder(), kPrefix).string();
    } catch (const std::system_error& e) {
        throw std::runtime_error(os::reasonText(e.code()));
    }
    // Where the file system has no folder locks, no run can take one to
    // remove this folder either; a copy is then only cleaned up by its own run.
    lock_ = os::FolderLock::tryTake(path_);
    const std::string copy = copyPath();
    cleanup_.emplace(std::vector<std::string>{copy, copy + "-journal", copy + "-wal", copy + "-shm"}, path_);
}

ScratchFolder::~ScratchFolder() {
    cleanup_.reset();
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    lock_.reset();
}

void removeStaleScratchFolders() {
    const auto base = os::temporaryFolder();
    const auto now = std::filesystem::file_time_type::clock::now();
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(base, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(ScratchFolder::kPrefix, 0) != 0) continue;
        const auto& path = it->path();
        if (!os::isOwnFolder(path)) continue;
        std::error_code age;
        const auto changed = std::filesystem::last_write_time(path, age);
        if (age || now - changed < kStaleAfter) continue;
        // Held while it goes, so a run that starts meanwhile does not take it.
        if (const auto lock = os::FolderLock::tryTake(path)) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }
}

}  // namespace zelk::access
