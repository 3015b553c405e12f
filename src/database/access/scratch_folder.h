#pragma once
// A private folder in the temporary directory that holds the SQLite copy of
// an Access file while it is made. It never outlives the program: it is
// removed when it goes out of scope, when the program is ended by SIGTERM,
// SIGINT, SIGHUP or SIGQUIT, and (after a kill or a crash) by the next
// import, which removes every such folder that no running process holds any
// more.

#include <optional>
#include <string>

#include "os/folder_lock.h"
#include "os/termination_cleanup.h"

namespace zelk::access {

class ScratchFolder {
public:
    // Creates "<temporary directory>/zelk-import-XXXXXX". Throws
    // std::runtime_error with the system's reason in Dutch when no folder
    // can be made.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    // Where the importer writes the copy; SQLite's journals go beside it.
    std::string copyPath() const { return path_ + "/" + kCopyName; }

    static constexpr const char* kPrefix = "zelk-import-";
    static constexpr const char* kCopyName = "import.sqlite";

private:
    std::string path_;
    // Tells later runs that the folder is in use; the reader child inherits it.
    std::optional<os::FolderLock> lock_;
    std::optional<os::TerminationCleanup> cleanup_;
};

// Removes folders of earlier runs that no process holds any more (their
// program was killed or crashed). Folders of other users, and those younger
// than a few seconds, are left alone.
void removeStaleScratchFolders();

}  // namespace zelk::access
