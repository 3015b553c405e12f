// The system layer: folder locks, termination cleanup, processes, folders.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <system_error>
#include <vector>

#include "os/folder_lock.h"
#include "os/folders.h"
#include "os/process.h"
#include "os/regular_file.h"
#include "os/system_reason.h"
#include "os/terminal.h"
#include "os/termination_cleanup.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using zelk::testing::ScratchDir;

#ifndef _WIN32
namespace {

// Runs `body` in a child that is then sent `sig`; the child's status.
template <typename Body>
int killedAfter(int sig, Body body) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::alarm(20);  // never outlive a broken test
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);  // SIGQUIT would leave one
        ::signal(sig, SIG_DFL);             // a runner in the background ignores SIGINT and SIGQUIT
        body();
        (void)!::write(ready[1], "R", 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    const bool started = ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
    if (started) ::kill(pid, sig);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

extern "C" void recordAndExit(int sig) { ::_exit(100 + sig); }

}  // namespace
#endif

TEST(Os, FolderLockIsExclusiveAndOnlyForRealFolders) {
    ScratchDir dir;
    const fs::path folder = dir.path() / "in-use";
    fs::create_directory(folder);
    {
        auto held = zelk::os::FolderLock::tryTake(folder);
        ASSERT_TRUE(held);
        EXPECT_FALSE(zelk::os::FolderLock::tryTake(folder));
        // A moved lock is still one lock.
        auto moved = std::move(*held);
        held.reset();
        EXPECT_FALSE(zelk::os::FolderLock::tryTake(folder));
    }
    EXPECT_TRUE(zelk::os::FolderLock::tryTake(folder));

    std::ofstream(dir.path() / "file") << "x";
#ifndef _WIN32  // links to folders need a right ordinary Windows users lack
    fs::create_directory_symlink(folder, dir.path() / "link");
    EXPECT_FALSE(zelk::os::FolderLock::tryTake(dir.path() / "link"));
    EXPECT_FALSE(zelk::os::isOwnFolder(dir.path() / "link"));
#endif
    EXPECT_FALSE(zelk::os::FolderLock::tryTake(dir.path() / "file"));
    EXPECT_FALSE(zelk::os::FolderLock::tryTake(dir.path() / "missing"));

    EXPECT_TRUE(zelk::os::isOwnFolder(folder));
    EXPECT_FALSE(zelk::os::isOwnFolder(dir.path() / "file"));
}

TEST(Os, UniqueFoldersAreNewAndPrivate) {
    ScratchDir dir;
    const fs::path a = zelk::os::makeUniqueFolder(dir.path(), "run-");
    const fs::path b = zelk::os::makeUniqueFolder(dir.path(), "run-");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.parent_path(), dir.path());
    EXPECT_EQ(a.filename().string().rfind("run-", 0), 0u);
    EXPECT_TRUE(fs::is_directory(a) && fs::is_directory(b));
#ifndef _WIN32  // Windows keeps others out through the temporary folder's access list
    EXPECT_EQ(fs::status(a).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
#endif
    try {
        zelk::os::makeUniqueFolder(dir.path() / "missing", "run-");
        ADD_FAILURE() << "a folder in a missing folder";
    } catch (const std::system_error& e) {
        EXPECT_EQ(zelk::os::describe(e), "kan geen map maken in '" + (dir.path() / "missing").string() +
                                             "': het bestand of de map bestaat niet");
    }
    zelk::os::syncFolder(a);  // best effort: must not throw, also for a folder that is gone
    zelk::os::syncFolder(dir.path() / "missing");

    // Scratch files follow TMPDIR (TMP on Windows), and one that names no
    // folder falls back.
    using zelk::testing::kTempVariable;
    const char* before = std::getenv(kTempVariable);
    const std::string saved = before ? before : "";
    zelk::testing::setEnv(kTempVariable, a.string().c_str());
    EXPECT_EQ(fs::absolute(zelk::os::temporaryFolder()).lexically_normal().string().rfind(a.string(), 0), 0u);
    zelk::testing::setEnv(kTempVariable, (dir.path() / "missing").string().c_str());
#ifdef _WIN32
    EXPECT_TRUE(fs::is_directory(zelk::os::temporaryFolder()));
#else
    EXPECT_EQ(zelk::os::temporaryFolder(), fs::path("/tmp"));
#endif
    zelk::testing::setEnv(kTempVariable, before ? saved.c_str() : nullptr);
}

TEST(Os, ProcessesAndTerminals) {
    EXPECT_FALSE(zelk::os::processGone(zelk::os::processId()));
#ifdef _WIN32
    EXPECT_EQ(zelk::os::processId(), static_cast<long>(GetCurrentProcessId()));
    wchar_t command[] = L"cmd.exe /c exit 0";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info));
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_TRUE(zelk::os::processGone(static_cast<long>(info.dwProcessId)));
#else
    EXPECT_EQ(zelk::os::processId(), static_cast<long>(::getpid()));
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    EXPECT_TRUE(zelk::os::processGone(ended));
#endif
    EXPECT_FALSE(zelk::os::processGone(0));
    EXPECT_FALSE(zelk::os::processGone(-1));

    ScratchDir dir;
    std::FILE* file = std::fopen(dir.file("out").c_str(), "w");
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(zelk::os::isTerminal(file));
    std::fclose(file);
    EXPECT_FALSE(zelk::os::isTerminal(nullptr));
}

TEST(Os, TerminationRemovesRegisteredFilesThenRunsWhatWasThere) {
#ifdef _WIN32
    GTEST_SKIP() << "planted with fork and signals; a console control event cannot be sent to one process alone";
#else
    ScratchDir dir;
    const fs::path folder = dir.path() / "work";
    const fs::path file = folder / "half.db";
    const fs::path other = dir.path() / "other";
    const auto plant = [&] {
        fs::create_directory(folder);
        std::ofstream(file) << "x";
        std::ofstream(other) << "x";
    };

    // Without a handler of the program's own: removed, and the signal ends
    // the program as it would have.
    for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        plant();
        const int status = killedAfter(sig, [&] {
            static std::optional<zelk::os::TerminationCleanup> cleanup;
            cleanup.emplace(std::vector<std::string>{file.string(), (folder / "not-there").string()}, folder.string());
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig << " " << status;
        EXPECT_FALSE(fs::exists(folder)) << sig;
        EXPECT_TRUE(fs::exists(other)) << sig;
        fs::remove(other);
    }

    // The program's own handler still runs, after the removal.
    plant();
    int status = killedAfter(SIGTERM, [&] {
        std::signal(SIGTERM, recordAndExit);
        static std::optional<zelk::os::TerminationCleanup> cleanup;
        cleanup.emplace(std::vector<std::string>{file.string()}, folder.string());
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 100 + SIGTERM) << status;
    EXPECT_FALSE(fs::exists(folder));

    // Once nothing is registered the program's handling is as before, and a
    // file no longer registered stays.
    status = killedAfter(SIGTERM, [&] {
        std::signal(SIGTERM, recordAndExit);
        { const zelk::os::TerminationCleanup gone(std::vector<std::string>{other.string()}); }
        struct sigaction now {};
        ::sigaction(SIGTERM, nullptr, &now);
        if (now.sa_handler != recordAndExit) ::_exit(1);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 100 + SIGTERM) << status;
    EXPECT_TRUE(fs::exists(other));
#endif
}

TEST(Os, TerminationCleanupRefusesWhatDoesNotFit) {
    const zelk::os::TerminationCleanup tooMany(std::vector<std::string>(5, "/nonexistent/x"));
    EXPECT_FALSE(tooMany.registered());
    const zelk::os::TerminationCleanup tooLong(std::vector<std::string>{std::string(5000, 'x')});
    EXPECT_FALSE(tooLong.registered());
    std::vector<std::optional<zelk::os::TerminationCleanup>> many(12);
    int registered = 0;
    for (auto& c : many) {
        c.emplace(std::vector<std::string>{"/nonexistent/x"});
        registered += c->registered() ? 1 : 0;
    }
    EXPECT_GT(registered, 0);
    EXPECT_LT(registered, 12);  // a fixed table, filled in order
    many.clear();
    const zelk::os::TerminationCleanup again(std::vector<std::string>{"/nonexistent/x"});
    EXPECT_TRUE(again.registered());
}

TEST(Os, OnlyRegularFilesAreOpenedAndNothingWaitsForAFifo) {
#ifdef _WIN32
    GTEST_SKIP() << "planted with a POSIX FIFO";
#else
    const zelk::testing::ScratchDir dir;
    const std::string fifo = dir / "pijp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Neither a read (it would wait for a writer) nor a write (for a reader) waits.
    const auto start = std::chrono::steady_clock::now();
    for (const char* mode : {"rb", "ab", "wb", "r+b"}) {
        errno = 0;
        EXPECT_EQ(zelk::os::openRegularFile(fifo, mode), nullptr) << mode;
        EXPECT_TRUE(errno == EINVAL || errno == ENXIO) << mode << " " << errno;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(zelk::os::openRegularFile(dir.path(), "rb"), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(zelk::os::openRegularFile("/dev/zero", "rb"), nullptr);
    EXPECT_EQ(zelk::os::openRegularFile(dir / "er-niet", "rb"), nullptr);
    EXPECT_EQ(errno, ENOENT);

    // A regular file opens as with std::fopen: "w" empties it, "a" adds to it.
    const std::string file = dir / "gewoon.txt";
    zelk::testing::writeBytes(file, "oud");
    for (const char* mode : {"ab", "wb", "ab"}) {
        std::FILE* f = zelk::os::openRegularFile(file, mode);
        ASSERT_NE(f, nullptr) << mode;
        std::fputs("x", f);
        std::fclose(f);
    }
    EXPECT_EQ(zelk::testing::readBytes(file), "xx");
#endif
}

TEST(Os, FailuresAreExplainedInDutch) {
    using zelk::os::describe;
    using zelk::os::reasonText;
    const auto posix = [](int e) { return std::error_code(e, std::generic_category()); };
    EXPECT_EQ(reasonText(posix(ENOSPC)), "de schijf is vol");
#ifdef _WIN32
    EXPECT_EQ(reasonText(std::error_code(ERROR_ACCESS_DENIED, std::system_category())), "geen toestemming");
    EXPECT_EQ(reasonText(std::error_code(ERROR_SHARING_VIOLATION, std::system_category())),
              "het bestand is in gebruik door een ander programma");
#else
    EXPECT_EQ(reasonText(std::error_code(EACCES, std::system_category())), "geen toestemming");
#endif
    // Without a text of its own: the number, and the system's text to look up.
    const std::error_code rare = posix(ECONNREFUSED);
    EXPECT_EQ(reasonText(rare), "systeemfout " + std::to_string(ECONNREFUSED) + " (" + rare.message() + ")");
    const std::error_code foreign = std::make_error_code(std::future_errc::no_state);
    EXPECT_EQ(reasonText(foreign).rfind("systeemfout ", 0), 0u);

    EXPECT_EQ(describe(std::system_error(posix(ENOSPC), "kan niet schrijven")), "kan niet schrijven: de schijf is vol");
    EXPECT_EQ(describe(std::system_error(posix(EROFS))), "het bestandssysteem is alleen-lezen");
    // The library's own English context goes; the file stays.
    EXPECT_EQ(describe(fs::filesystem_error("cannot create directories", fs::path("/a/b"), posix(ENOTDIR))),
              "een deel van het pad is geen map ('/a/b')");
}
