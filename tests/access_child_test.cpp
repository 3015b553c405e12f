// The Access reader's child and its scratch folder: bounded in proportion
// to the file, and nothing left in the temporary directory after the
// program is ended by a signal or killed.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "access_test_util.h"
#include "database/access/access_import.h"
#include "database/access/scratch_folder.h"
#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"

using access_test::ScratchDir;
using zelk::access::ScratchFolder;
using zelk::os::IsolatedRun;
using zelk::os::runIsolated;
using zelk::testing::filesIn;
using zelk::testing::OwnTempDir;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

void makeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2));
}

}  // namespace

TEST(AccessChild, BoundedByMemoryAndOutputInProportionToTheFile) {
    ScratchDir dir;
    const auto small = zelk::readerLimits(300 << 10);  // a 300 KB file
    const auto writes = [&](std::size_t megabytes) {
        return [&, megabytes](const auto&) {
            std::ofstream out(dir.file("out"), std::ios::binary | std::ios::trunc);
            const std::string block(1 << 20, 'b');
            for (std::size_t i = 0; i < megabytes && out; ++i) out << block << std::flush;
            return std::string(out ? "wrote" : "refused");
        };
    };
    IsolatedRun run = runIsolated(writes(8), 10s, small);
    EXPECT_EQ(run.report, "wrote");
    run = runIsolated(writes(40), 10s, small);
    EXPECT_TRUE(run.end == IsolatedRun::End::Crashed || run.report == "refused") << run.report;
    // A large file may write a large copy.
    run = runIsolated(writes(40), 10s, zelk::readerLimits(std::uint64_t{20} << 20));
    EXPECT_EQ(run.report, "wrote");

    // A report beyond the bound is not taken in.
    run = runIsolated([](const auto&) { return std::string(16u << 20, 'x'); }, 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
    run = runIsolated([](const auto&) { return std::string(1u << 20, 'x'); }, 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Reported);

#if !defined(__SANITIZE_ADDRESS__)
    const auto allocates = [](std::size_t megabytes) {
        return [megabytes](const auto&) {
            std::vector<char> block(megabytes << 20, 'x');  // touched
            return std::to_string(std::count(block.begin(), block.end(), 'x'));
        };
    };
    run = runIsolated(allocates(32), 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Reported);
    run = runIsolated(allocates(512), 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
#endif
}

TEST(AccessChild, ScratchFoldersOfEndedRunsAreRemovedAndLiveOnesKept) {
    ScratchDir temp;
    OwnTempDir own(temp);
    // Left by a killed run: old, nobody holds it.
    const fs::path stale = temp.path() / "zelk-import-AbC123";
    fs::create_directory(stale);
    std::ofstream(stale / "import.sqlite") << "half a copy";
    std::ofstream(stale / "import.sqlite-journal") << "journal";
    makeOld(stale);
    // Held by a running import (its lock), however old.
    const fs::path held = temp.path() / "zelk-import-Held01";
    fs::create_directory(held);
    std::ofstream(held / "import.sqlite") << "being written";
    makeOld(held);
    const int lock = ::open(held.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    // Just made by another run that has not taken its lock yet.
    const fs::path young = temp.path() / "zelk-import-Young1";
    fs::create_directory(young);
    // Not ours.
    const fs::path other = temp.path() / "zelk-imports";
    fs::create_directory(other);
    makeOld(other);
    {
        ScratchFolder folder;
        EXPECT_TRUE(fs::is_directory(folder.path()));
        EXPECT_EQ(fs::path(folder.path()).parent_path(), temp.path());
        // A second import at the same time leaves the first one's folder alone.
        makeOld(folder.path());
        ScratchFolder second;
        EXPECT_TRUE(fs::is_directory(folder.path()));
        EXPECT_EQ(filesIn(temp.path()).size(), 5u);
    }
    ::close(lock);
    EXPECT_EQ(filesIn(temp.path()),
              (std::vector<std::string>{"zelk-import-Held01", "zelk-import-Young1", "zelk-imports"}));
}

TEST(AccessChild, TerminationSignalsDuringAnImportLeaveNoFolder) {
    ScratchDir temp;
    OwnTempDir own(temp);
    const std::string mdb = temp.file("ZELK.MDB");
    std::ofstream(mdb, std::ios::binary) << std::string("\0\1\0\0Standard Jet DB\0", 20) << std::string(4076, '\0');
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            ::close(report[0]);
            alarm(20);  // never outlive a broken test
            // An import that is writing its copy when the signal comes.
            const zelk::AccessImporter importer = [&](const std::string&, const std::string&, const std::string& copy) {
                auto c = zelk::sqlite::open(copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
                zelk::sqlite::exec(c.get(), "CREATE TABLE t (x); BEGIN; INSERT INTO t VALUES (1);");
                (void)!::write(report[1], "W", 1);
                for (;;) pause();
                return zelk::AccessImportResult{};
            };
            try {
                zelk::SqliteConnection::open(mdb, zelk::OpenOptions{}, importer);
            } catch (...) {
            }
            _exit(3);
        }
        ::close(report[1]);
        char c = 0;
        ASSERT_EQ(::read(report[0], &c, 1), 1);
        ::close(report[0]);
        EXPECT_EQ(filesIn(temp.path()).size(), 2u);  // the Access file and the import's folder
        ::kill(pid, sig);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_EQ(filesIn(temp.path()), std::vector<std::string>{"ZELK.MDB"});
    }
}
