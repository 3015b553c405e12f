#pragma once
// Scratch folders, whole-file reads and writes and the fixture paths, for
// every test that touches the file system.

#include <stdlib.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdlib>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "messages/path_separator.h"
#include "os/folders.h"

namespace zelk::testing {

// Under wine some of Windows' own guarantees are missing; the tests that
// need them say so and skip that part.
inline bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

// Sets or (with nullptr) removes an environment variable of this process.
inline void setEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
#endif
}

// A path written with "/" in the platform's own separators, as the
// program's file services write them.
inline std::string native(std::string path) {
    for (char& c : path)
        if (c == '/') c = kPathSep;
    return path;
}

// The variable that names the temporary folder.
#ifdef _WIN32
constexpr const char* kTempVariable = "TMP";
#else
constexpr const char* kTempVariable = "TMPDIR";
#endif

// A folder of its own, removed with its contents (also after a test took
// away its rights).
class ScratchDir {
public:
    ScratchDir() : path_(os::makeUniqueFolder(std::filesystem::temp_directory_path(), "zelk-test-")) {}
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // A name inside the folder, joined with the platform's separator.
    std::string file(const std::string& name) const { return path_.string() + kPathSepText + native(name); }
    std::string operator/(const std::string& name) const { return file(name); }
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A real Access file of the shared fixtures.
inline std::string fixture(const std::string& name) { return std::string(ZELK_FIXTURES_DIR) + "/access/" + name; }

// The sample files are not part of the project; a build without them skips
// the tests that read them instead of failing them.
inline bool fixturesPresent() { return std::filesystem::is_directory(std::string(ZELK_FIXTURES_DIR) + "/access"); }

inline std::string fixturesMissingLine() {
    const std::string now = ZELK_FIXTURES_DIR;
    return "Access sample files (access/*.mdb, not part of the project) not found: point the CMake cache variable "
           "ZELK_FIXTURES_DIR at the folder that holds access/ (now " +
           (now.empty() ? std::string("not set") : "'" + now + "'") + ")";
}

// Points the temporary directory at a folder of the test's own.
class OwnTempDir {
public:
    explicit OwnTempDir(const ScratchDir& dir) {
        if (const char* old = std::getenv(kTempVariable)) old_ = old;
        setEnv(kTempVariable, dir.str().c_str());
    }
    ~OwnTempDir() { setEnv(kTempVariable, old_ ? old_->c_str() : nullptr); }
    OwnTempDir(const OwnTempDir&) = delete;
    OwnTempDir& operator=(const OwnTempDir&) = delete;

private:
    std::optional<std::string> old_;
};

// The names in a folder, sorted.
inline std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

#ifndef _WIN32
// While it lives, writes past 64 KB fail the way they do on a full disk.
class SmallFileLimit {
public:
    SmallFileLimit() : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        if (getrlimit(RLIMIT_FSIZE, &old_) != 0) throw std::runtime_error("getrlimit");
        rlimit small = old_;
        small.rlim_cur = 64 * 1024;
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) throw std::runtime_error("setrlimit");
    }
    ~SmallFileLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    SmallFileLimit(const SmallFileLimit&) = delete;
    SmallFileLimit& operator=(const SmallFileLimit&) = delete;

private:
    rlimit old_{};
    void (*handler_)(int);
};
#endif

}  // namespace zelk::testing

// First statement of a test that reads the sample files.
#define ZELK_NEEDS_FIXTURES()                                                                            \
    do {                                                                                                 \
        if (!::zelk::testing::fixturesPresent()) GTEST_SKIP() << ::zelk::testing::fixturesMissingLine(); \
    } while (false)
