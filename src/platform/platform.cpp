#include "platform/platform.h"

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

}  // namespace zelk
