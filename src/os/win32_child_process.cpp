#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include "os/child_process.h"
#include "os/isolated_job.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

using isolated::kAlive;
using isolated::kExitFailed;
using isolated::kExitReported;
using win32::Handle;
using Clock = std::chrono::steady_clock;

// The hidden first argument that makes this program a child: the job's name,
// then the number of the inherited handle it reports through.
constexpr wchar_t kChildSwitch[] = L"--zelk-isolated-job=";
// What a fresh copy of the program itself takes before its job allocates
// anything: the limit is on what the job adds, as on POSIX.
constexpr std::uint64_t kChildBase = std::uint64_t{64} << 20;

bool writeAll(HANDLE h, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
        if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

std::wstring selfPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// One argument as CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::uint64_t committedBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage;
}

std::uint64_t writtenBytes(HANDLE process) {
    IO_COUNTERS counters{};
    return GetProcessIoCounters(process, &counters) ? counters.WriteTransferCount : 0;
}

// A job object whose closing kills the child, so it dies with the parent
// however that ends, and whose memory limit stands in for RLIMIT_AS.
Handle makeJob(const ChildLimits& limits) {
    Handle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    info.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (limits.extraAddressSpace) {
        info.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        info.ProcessMemoryLimit = static_cast<SIZE_T>(kChildBase + limits.extraAddressSpace);
    }
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &info, sizeof info);
    return job;
}

struct Started {
    Handle process;
    Handle job;
    Handle argumentPipe;  // the parent writes the job's argument here
    Handle reportPipe;    // and reads the report here
};

std::optional<Started> startChild(const std::string& jobName, const ChildLimits& limits) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE argumentRead = nullptr, argumentWrite = nullptr, reportRead = nullptr, reportWrite = nullptr;
    if (!CreatePipe(&argumentRead, &argumentWrite, &inheritable, 0)) return std::nullopt;
    Handle childArgument(argumentRead), parentArgument(argumentWrite);
    if (!CreatePipe(&reportRead, &reportWrite, &inheritable, 1 << 16)) return std::nullopt;
    Handle parentReport(reportRead), childReport(reportWrite);
    SetHandleInformation(parentArgument.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(parentReport.get(), HANDLE_FLAG_INHERIT, 0);
    Handle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                           OPEN_EXISTING, 0, nullptr));

    // Only these three handles go to the child, whatever else is inheritable.
    std::vector<HANDLE> inherited = {childArgument.get(), childReport.get()};
    if (nul) inherited.push_back(nul.get());
    SIZE_T attributeBytes = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeBytes);
    std::vector<char> attributeBuffer(attributeBytes);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    const bool listed = InitializeProcThreadAttributeList(attributes, 1, 0, &attributeBytes) &&
                        UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                                  inherited.size() * sizeof(HANDLE), nullptr, nullptr);

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = listed ? sizeof startup : sizeof startup.StartupInfo;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childArgument.get();
    startup.StartupInfo.hStdOutput = nul ? nul.get() : nullptr;
    startup.StartupInfo.hStdError = nul ? nul.get() : nullptr;
    if (listed) startup.lpAttributeList = attributes;

    const std::wstring self = selfPath();
    std::wstring commandLine = quoted(self) + L" " + kChildSwitch + win32::wide(jobName) + L" " +
                               std::to_wstring(reinterpret_cast<std::uintptr_t>(childReport.get()));
    PROCESS_INFORMATION info{};
    const DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
    const BOOL created = CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                        nullptr, &startup.StartupInfo, &info);
    if (listed) DeleteProcThreadAttributeList(attributes);
    if (!created) return std::nullopt;
    Started started;
    started.process = Handle(info.hProcess);
    const Handle thread(info.hThread);
    started.job = makeJob(limits);
    // Nested jobs need Windows 8; without one the parent's watch below still
    // holds the child to its limits.
    if (started.job && !AssignProcessToJobObject(started.job.get(), started.process.get())) started.job.reset();
    ResumeThread(thread.get());
    started.argumentPipe = std::move(parentArgument);
    started.reportPipe = std::move(parentReport);
    return started;
}

[[noreturn]] void leave(UINT code) {
    TerminateProcess(GetCurrentProcess(), code);
    std::abort();
}

// A library that calls exit() ends the child as failed, before any handler
// of the program's own runs.
void leaveChild() { leave(kExitFailed); }

LONG WINAPI onCrash(EXCEPTION_POINTERS*) { leave(kExitFailed); }

[[noreturn]] void serveJob(const std::wstring& name, HANDLE report) {
    // A crash ends the child quietly: no error dialog, no debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(onCrash);
    std::atexit(leaveChild);

    std::string argument;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(in, buffer, sizeof buffer, &n, nullptr) && n > 0) argument.append(buffer, n);

    const IsolatedJob job = isolated::findJob(win32::utf8(name));
    if (!job) leave(kExitFailed);
    auto last = Clock::now();
    const auto alive = [&] {
        const auto now = Clock::now();
        if (now - last < std::chrono::milliseconds(100)) return;
        last = now;
        writeAll(report, &kAlive, 1);
    };
    try {
        const std::string bytes = isolated::frame(job(argument, alive));
        if (writeAll(report, bytes.data(), bytes.size())) leave(kExitReported);
    } catch (...) {
        // Process boundary: whatever the job threw, the child can only fail
        // through its exit status; the parent reports that.
    }
    leave(kExitFailed);
}

}  // namespace

IsolatedRun runIsolated(const std::string& job, const std::string& argument, std::chrono::milliseconds idleTimeout,
                        const ChildLimits& limits) {
    IsolatedRun run;
    if (!isolated::findJob(job)) return run;
    std::optional<Started> child = startChild(job, limits);
    if (!child) return run;
    // The argument is small (names); the child reads it before anything else.
    writeAll(child->argumentPipe.get(), argument.data(), argument.size());
    child->argumentPipe.reset();

    // Read until the child closes its end: any bytes push the deadline back.
    // The parent also watches what the child uses, for where the job object's
    // limit does not hold and for the size of what it writes.
    isolated::ReportReader reader(limits.maxReportBytes);
    const std::uint64_t memoryLimit = limits.extraAddressSpace ? kChildBase + limits.extraAddressSpace : 0;
    std::uint64_t received = 0;
    bool timedOut = false;
    bool overLimit = false;
    auto deadline = Clock::now() + idleTimeout;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(child->reportPipe.get(), nullptr, 0, nullptr, &available, nullptr)) break;  // closed
        if (available > 0) {
            char buf[65536];
            DWORD n = 0;
            if (!ReadFile(child->reportPipe.get(), buf, std::min<DWORD>(available, sizeof buf), &n, nullptr) || n == 0)
                break;
            received += n;
            if (!reader.take(buf, n)) {
                overLimit = true;
                break;
            }
            deadline = Clock::now() + idleTimeout;
            continue;
        }
        if (Clock::now() >= deadline) {
            timedOut = true;
            break;
        }
        if ((memoryLimit && committedBytes(child->process.get()) > memoryLimit) ||
            (limits.maxFileBytes && writtenBytes(child->process.get()) > limits.maxFileBytes + received + (1 << 20))) {
            overLimit = true;
            break;
        }
        WaitForSingleObject(child->process.get(), 10);
    }
    if (timedOut || overLimit) TerminateProcess(child->process.get(), kExitFailed);
    WaitForSingleObject(child->process.get(), INFINITE);
    DWORD status = kExitFailed;
    GetExitCodeProcess(child->process.get(), &status);

    if (timedOut) {
        run.end = IsolatedRun::End::TimedOut;
        return run;
    }
    if (overLimit) {
        run.end = IsolatedRun::End::Crashed;
        return run;
    }
    return reader.finish(status == static_cast<DWORD>(kExitReported));
}

void runIsolatedJobIfChild() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return;
    const std::size_t switchLength = std::wcslen(kChildSwitch);
    if (count == 3 && std::wcsncmp(arguments[1], kChildSwitch, switchLength) == 0) {
        const std::wstring name = arguments[1] + switchLength;
        const auto report =
            reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(arguments[2], nullptr, 10)));
        LocalFree(arguments);
        serveJob(name, report);
    }
    LocalFree(arguments);
}

}  // namespace zelk::os
