// The Access reader's child and its scratch folder: bounded in proportion
// to the file, and nothing left in the temporary directory after the
// program is ended by a signal or killed.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
#include "os/child_process.h"
#include "os/folder_lock.h"

using access_test::ScratchDir;
using zelk::access::ScratchFolder;
using zelk::os::IsolatedRun;
using zelk::os::runIsolated;
using zelk::testing::filesIn;
using zelk::testing::OwnTempDir;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// The names in a folder less the lock files Windows keeps beside locked folders.
std::vector<std::string> namesBesideLocks(const fs::path& dir) {
    std::vector<std::string> names = filesIn(dir);
    std::erase_if(names, [](const std::string& n) { return n.size() > 5 && n.ends_with(".lock"); });
    return names;
}

void makeOld(const fs::path& path) {
#ifdef _WIN32
    // The C runtime cannot set a folder's time; the system call can.
    HANDLE h = CreateFileW(path.wstring().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{};
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 2ULL * 3600 * 10000000;  // two hours in 100 ns steps
    FILETIME old{t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &old);
    CloseHandle(h);
#else
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2));
#endif
}

}  // namespace

// The jobs the limits are tried with; a job's argument is its only input.
std::string writesJob(const std::string& argument, const std::function<void()>&) {
    const std::size_t split = argument.find('\n');
    std::ofstream out(argument.substr(split + 1), std::ios::binary | std::ios::trunc);
    const std::string block(1 << 20, 'b');
    const std::size_t megabytes = std::stoul(argument.substr(0, split));
    for (std::size_t i = 0; i < megabytes && out; ++i) out << block << std::flush;
    return std::string(out ? "wrote" : "refused");
}

std::string reportsJob(const std::string& argument, const std::function<void()>&) {
    return std::string(std::stoul(argument), 'x');
}

std::string allocatesJob(const std::string& argument, const std::function<void()>&) {
    std::vector<char> block(std::stoul(argument) << 20, 'x');  // touched
    return std::to_string(std::count(block.begin(), block.end(), 'x'));
}

const zelk::os::IsolatedJobName kWrites("test-writes", writesJob);
const zelk::os::IsolatedJobName kReports("test-reports", reportsJob);
const zelk::os::IsolatedJobName kAllocates("test-allocates", allocatesJob);

TEST(AccessChild, BoundedByMemoryAndOutputInProportionToTheFile) {
    ScratchDir dir;
    const auto small = zelk::readerLimits(300 << 10);  // a 300 KB file
    const auto writes = [&](int megabytes) { return std::to_string(megabytes) + "\n" + dir.file("out"); };
    IsolatedRun run = runIsolated("test-writes", writes(8), 10s, small);
    EXPECT_EQ(run.report, "wrote");
    if (zelk::testing::underWine()) {
        std::cout << "[ SKIPPED  ] wine counts no process's writes: the file limit is for Windows itself\n";
    } else {
        run = runIsolated("test-writes", writes(40), 10s, small);
        EXPECT_TRUE(run.end == IsolatedRun::End::Crashed || run.report == "refused") << run.report;
    }
    // A large file may write a large copy.
    run = runIsolated("test-writes", writes(40), 10s, zelk::readerLimits(std::uint64_t{20} << 20));
    EXPECT_EQ(run.report, "wrote");

    // A report beyond the bound is not taken in.
    run = runIsolated("test-reports", std::to_string(16u << 20), 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
    run = runIsolated("test-reports", std::to_string(1u << 20), 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Reported);

#if !defined(__SANITIZE_ADDRESS__)
    run = runIsolated("test-allocates", "32", 10s, small);
    EXPECT_EQ(run.end, IsolatedRun::End::Reported);
    if (zelk::testing::underWine()) {
        std::cout
            << "[ SKIPPED  ] wine neither limits a job's memory nor tells another process's: for Windows itself\n";
    } else {
        run = runIsolated("test-allocates", "512", 10s, small);
        EXPECT_EQ(run.end, IsolatedRun::End::Crashed);
    }
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
    std::optional<zelk::os::FolderLock> lock = zelk::os::FolderLock::tryTake(held);
    ASSERT_TRUE(lock);
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
        EXPECT_EQ(namesBesideLocks(temp.path()).size(), 5u);
    }
    lock.reset();
    EXPECT_EQ(namesBesideLocks(temp.path()),
              (std::vector<std::string>{"zelk-import-Held01", "zelk-import-Young1", "zelk-imports"}));
}

TEST(AccessChild, TerminationSignalsDuringAnImportLeaveNoFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "planted with fork and POSIX signals";
#else
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
#endif
}
