#pragma once
// The file a workbook is written to before it takes its name. Where the file
// system allows, it has no name at all (O_TMPFILE) until it is linked into
// place, so a killed run leaves nothing behind. Elsewhere it is a hidden
// ".<name>.<pid>.XXXXXX" next to the target, removed on SIGTERM, SIGINT and
// SIGHUP, and by the next save into that folder once its process is gone.

#include <filesystem>
#include <string>

namespace zelk {

class TempWorkbookFile {
public:
    // std::system_error when no file can be made in the target's folder.
    explicit TempWorkbookFile(const std::filesystem::path& target);
    ~TempWorkbookFile();
    TempWorkbookFile(const TempWorkbookFile&) = delete;
    TempWorkbookFile& operator=(const TempWorkbookFile&) = delete;

    // A name under which the writer can open the file.
    const std::string& path() const { return path_; }
    bool unnamed() const { return unnamed_; }
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
};

// Whether unnamed files are tried at all (default true). A file system
// without them behaves as false; tests switch it off to run that path.
void useUnnamedTempWorkbooks(bool use);

// Removes the hidden temporary workbooks in `dir` that a run of this program
// left behind when it was killed. Best effort.
void removeStaleTempWorkbooks(const std::filesystem::path& dir);

}  // namespace zelk
