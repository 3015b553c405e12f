#include "platform/platform.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <system_error>

namespace zelk {

int safeAnswer(int style) {
    switch (style & 7) {
    case vbOKCancel: return vbCancel;
    case vbAbortRetryIgnore: return vbAbort;
    case vbYesNoCancel: return vbCancel;
    case vbYesNo: return vbNo;
    case vbRetryCancel: return vbCancel;
    default: return vbOK;
    }
}

std::string answerText(int answer) {
    switch (answer) {
    case vbOK: return "OK";
    case vbCancel: return "Annuleren";
    case vbAbort: return "Afbreken";
    case vbRetry: return "Opnieuw";
    case vbIgnore: return "Negeren";
    case vbYes: return "Ja";
    case vbNo: return "Nee";
    default: return std::to_string(answer);
    }
}

std::filesystem::path homeDocumentsFolder() {
#ifdef _WIN32
    if (const char* p = std::getenv("USERPROFILE"); p && *p) return std::filesystem::path(p) / "Documents";
#endif
    if (const char* p = std::getenv("HOME"); p && *p) return std::filesystem::path(p) / "Documents";
    // No home at all (a service account): the current folder, even when it
    // can no longer be named.
    std::error_code ec;
    return std::filesystem::current_path(ec) / "Documents";
}

void Platform::stopAfter(std::chrono::milliseconds limit, std::string reason) {
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, UINT32_MAX);
    timeLimit_ = TimeLimit{tickCount(), static_cast<std::uint32_t>(ms), std::move(reason)};
}

void Platform::clearStop() {
    stopRequest_.reset();
    timeLimit_.reset();
}

std::optional<std::string> Platform::stopReason() {
    if (stopRequest_) return stopRequest_;
    // The tick count wraps: the time passed is the difference, modulo 2^32.
    if (timeLimit_ && tickCount() - timeLimit_->start >= timeLimit_->milliseconds) return timeLimit_->reason;
    return std::nullopt;
}

}  // namespace zelk
