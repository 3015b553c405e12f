#include "os/process.h"
#include "os/win32_native.h"

namespace zelk::os {

long processId() { return static_cast<long>(GetCurrentProcessId()); }

bool processGone(long pid) {
    if (pid <= 0 || pid > static_cast<long>(MAXDWORD)) return false;
    const win32::Handle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    // Refused access means it runs as another user; any other refusal, that
    // no process has that number.
    if (!process) return GetLastError() != ERROR_ACCESS_DENIED;
    // A handle keeps an ended process's number taken; it has still ended.
    return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace zelk::os
