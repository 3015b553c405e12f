#pragma once
// The file a result is written to before it takes its name. Where the file
// system allows, it has no name at all until it is linked into place, so a
// killed run leaves nothing behind. Elsewhere it is a hidden
// ".<name>.<pid>.XXXXXX" next to the target (pid: processId()), removed on
// the termination signals; after a kill, the owner's next run removes it
// once processGone(pid).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "os/termination_cleanup.h"

namespace zelk::os {

class TempFile {
public:
    // std::system_error when no file can be made in the target's folder.
    explicit TempFile(const std::filesystem::path& target);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // A name under which a writer can open the file.
    const std::string& path() const { return path_; }
    // Flushes the file to disk; std::system_error when that fails.
    void sync();
    // Gives the file the target's name: replacing a file there, or, when
    // `replace` is false, failing with EEXIST if the name is taken
    // (std::system_error either way).
    void commit(const std::filesystem::path& target, bool replace);

private:
    std::string path_;
    int fd_ = -1;
    bool unnamed_ = false;
    bool committed_ = false;
    std::optional<TerminationCleanup> cleanup_;
};

// Whether unnamed files are tried at all (default true). A file system
// without them behaves as false; tests switch it off to run that path.
void useUnnamedTempFiles(bool use);

}  // namespace zelk::os
