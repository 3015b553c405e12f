#include "os/native_reason.h"
#include "os/win32_native.h"

namespace zelk::os {
namespace {

// Not in every SDK's winerror.h.
constexpr DWORD kDiskQuotaExceeded = 1295;
constexpr DWORD kVirusInfected = 225;
constexpr DWORD kVirusDeleted = 226;

}  // namespace

// The codes that have no errno value of their own, and that a user meets:
// another program holding the file, a network share gone, a name Windows refuses.
const char* nativeReason(int value) {
    const auto code = static_cast<DWORD>(value);
    switch (code) {
    case ERROR_SHARING_VIOLATION: return "het bestand is in gebruik door een ander programma";
    case ERROR_LOCK_VIOLATION: return "een deel van het bestand is vergrendeld door een ander programma";
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE: return "de verbinding met de netwerkmap is verbroken";
    case ERROR_NOT_READY: return "het apparaat is niet gereed";
    case ERROR_CANT_ACCESS_FILE: return "het bestand kan niet worden geopend";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return "de naam van het bestand of de map is ongeldig";
    case kDiskQuotaExceeded: return "de schijfruimte van de gebruiker is op";
    case kVirusInfected:
    case kVirusDeleted: return "het bestand is door de virusscanner geblokkeerd";
    default: break;
    }
    const int e = win32::errnoOf(code);
    return e ? errnoReason(e) : nullptr;
}

}  // namespace zelk::os
