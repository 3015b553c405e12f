#pragma once
// What the Windows implementations share: UTF-8 names to wide ones and back,
// the system's error codes as std::system_error, and an owned handle.

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

namespace zelk::os::win32 {

// Every name stays UTF-8 inside the program; Windows gets it wide.
std::wstring wide(const std::string& utf8);
std::wstring wide(const std::filesystem::path& path);
std::string utf8(const std::wstring& text);

// The errno value of a Windows error code, 0 when none matches; callers
// compare with std::errc on both systems alike.
int errnoOf(DWORD code);
// GetLastError() as a system_error: in std::generic_category when an errno
// value matches, so std::errc comparisons hold, else in system_category.
std::system_error lastError(const std::string& what);
std::system_error errorOf(DWORD code, const std::string& what);

// Six random letters and digits, for a new name as mkstemp makes them.
std::string randomTail();

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h_, nullptr); }
    void reset() {
        if (*this) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

}  // namespace zelk::os::win32
