#include <array>
#include <mutex>

#include "os/termination_cleanup.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

// Ctrl+C, Ctrl+Break, a closed console window, logging off and shutting
// down reach a console program as control events, each in a thread of its
// own; the handler removes the files, then lets the next handler (in the
// end the system's, which ends the program) have the event.

constexpr std::size_t kMaxFiles = 4;
constexpr std::size_t kMaxPath = 4096;  // as on POSIX: the same names fit on both

struct Slot {
    bool used = false;
    std::array<std::wstring, kMaxFiles> files;
    std::wstring folder;
};

std::array<Slot, 8> slots;
std::mutex registry;
int inUse = 0;

BOOL WINAPI onControl(DWORD) {
    const std::lock_guard<std::mutex> lock(registry);
    for (const Slot& slot : slots) {
        if (!slot.used) continue;
        for (const auto& file : slot.files)
            if (!file.empty()) DeleteFileW(file.c_str());
        if (!slot.folder.empty()) RemoveDirectoryW(slot.folder.c_str());
    }
    return FALSE;
}

}  // namespace

TerminationCleanup::TerminationCleanup(const std::vector<std::string>& files, const std::string& folder) {
    if (files.size() > kMaxFiles || folder.size() >= kMaxPath) return;
    for (const auto& file : files)
        if (file.size() >= kMaxPath) return;
    const std::lock_guard<std::mutex> lock(registry);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        Slot& slot = slots[i];
        if (slot.used) continue;
        for (std::size_t k = 0; k < kMaxFiles; ++k) slot.files[k] = k < files.size() ? win32::wide(files[k]) : L"";
        slot.folder = win32::wide(folder);
        slot.used = true;
        if (inUse++ == 0) SetConsoleCtrlHandler(onControl, TRUE);
        slot_ = static_cast<int>(i);
        return;
    }
}

TerminationCleanup::~TerminationCleanup() {
    if (slot_ < 0) return;
    const std::lock_guard<std::mutex> lock(registry);
    slots[static_cast<std::size_t>(slot_)].used = false;
    if (--inUse == 0) SetConsoleCtrlHandler(onControl, FALSE);
}

}  // namespace zelk::os
