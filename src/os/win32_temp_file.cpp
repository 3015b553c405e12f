#include <system_error>
#include <vector>

#include "os/narrow_name.h"
#include "os/process.h"
#include "os/temp_file.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

namespace fs = std::filesystem;

// NTFS cannot link an open file without a name into place: the result is
// always a hidden ".<name>.<pid>.XXXXXX" beside the target.
std::wstring makeHidden(const fs::path& target, std::string& utf8Name) {
    const std::string stem = "." + win32::utf8(target.filename().wstring()) + "." + std::to_string(processId()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = (target.parent_path() / win32::wide(stem + win32::randomTail())).wstring();
        const win32::Handle h(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (h) {
            utf8Name = win32::utf8(name);
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    throw win32::lastError("kan geen tijdelijk bestand maken in '" + win32::utf8(target.parent_path().wstring()) + "'");
}

}  // namespace

TempFile::TempFile(const fs::path& target) {
    makeHidden(target, path_);
    cleanup_.emplace(std::vector<std::string>{path_});
    // The writer opens it by a narrow name.
    path_ = narrowName(path_);
}

TempFile::~TempFile() {
    if (!committed_) DeleteFileW(win32::wide(path_).c_str());
    cleanup_.reset();
}

void TempFile::sync() {
    const win32::Handle h(CreateFileW(win32::wide(path_).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h || !FlushFileBuffers(h.get())) throw win32::lastError("wegschrijven naar schijf mislukt");
}

void TempFile::commit(const fs::path& target, bool replace) {
    const std::wstring from = win32::wide(path_);
    const std::wstring to = target.wstring();
    // The result is an ordinary file once it has its name.
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a taken name, so a
    // file made meanwhile is never overwritten.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(from.c_str(), to.c_str(), flags)) {
        const DWORD error = GetLastError();
        SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_HIDDEN);
        throw win32::errorOf(error, (replace ? "kan '" + win32::utf8(to) + "' niet vervangen"
                                             : "kan '" + win32::utf8(to) + "' niet aanmaken"));
    }
    committed_ = true;
    cleanup_.reset();
}

void useUnnamedTempFiles(bool) {}

}  // namespace zelk::os
