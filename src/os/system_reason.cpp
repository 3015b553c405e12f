#include "os/system_reason.h"

#include <cerrno>
#include <filesystem>

#include "os/native_reason.h"

namespace zelk::os {

// The failures a user can do something about, or should at least recognise:
// full or read-only disks, missing folders, rights, names, lost network shares.
const char* errnoReason(int e) {
    switch (e) {
    case ENOENT: return "het bestand of de map bestaat niet";
    case ENOTDIR: return "een deel van het pad is geen map";
    case EISDIR: return "het is een map";
    case EEXIST: return "het bestand bestaat al";
    case ENOTEMPTY: return "de map is niet leeg";
    case EACCES:
    case EPERM: return "geen toestemming";
    case EROFS: return "het bestandssysteem is alleen-lezen";
    case ENOSPC: return "de schijf is vol";
#ifdef EDQUOT
    case EDQUOT: return "de schijfruimte van de gebruiker is op";
#endif
    case EFBIG: return "het bestand wordt te groot";
    case ENAMETOOLONG: return "de naam is te lang";
    case ELOOP: return "te veel symbolische koppelingen in het pad";
    case EIO: return "lees- of schrijffout op het apparaat";
    case EBUSY: return "het bestand of de map is in gebruik";
    case ETXTBSY: return "het bestand is in gebruik";
    case EXDEV: return "het bestand kan niet naar een ander bestandssysteem worden verplaatst";
    case EMFILE:
    case ENFILE: return "te veel geopende bestanden";
    case ENOMEM: return "onvoldoende geheugen";
    case EINVAL: return "ongeldig argument";
    case EAGAIN: return "tijdelijk niet beschikbaar";
    case EINTR: return "onderbroken";
#ifdef ESTALE
    case ESTALE: return "de verbinding met de netwerkmap is verbroken";
#endif
    case ENODEV:
    case ENXIO: return "het apparaat is niet beschikbaar";
    case ETIMEDOUT: return "de bewerking duurde te lang";
    default: return nullptr;
    }
}

std::string reasonText(const std::error_code& code) {
    const char* text = nullptr;
    if (code.category() == std::generic_category()) text = errnoReason(code.value());
    if (code.category() == std::system_category()) text = nativeReason(code.value());
    if (text) return text;
    return "systeemfout " + std::to_string(code.value()) + " (" + code.message() + ")";
}

std::string describe(const std::system_error& error) {
    std::string text = error.what();
    if (const auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        // Its text is the library's own, in English: only the file is worth keeping.
        return reasonText(fs->code()) + (fs->path1().empty() ? "" : " ('" + fs->path1().string() + "')");
    }
    // what() is "context: system text" when a context was given.
    const std::string systemText = error.code().message();
    if (text == systemText) return reasonText(error.code());
    const std::string suffix = ": " + systemText;
    if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0)
        text.resize(text.size() - suffix.size());
    return text + ": " + reasonText(error.code());
}

}  // namespace zelk::os
