#include "spreadsheet/zip_package.h"

#include <unzip.h>

#include <algorithm>
#include <utility>

namespace zelk {

struct ZipPackage::Handle {
    unzFile file = nullptr;
    ~Handle() {
        if (file) unzClose(file);
    }
};

ZipPackage::ZipPackage(const std::string& path) : path_(path), zip_(std::make_unique<Handle>()) {
    zip_->file = unzOpen64(path.c_str());
    if (!zip_->file) throw ZipError("geen volledig zip-bestand");
    for (int rc = unzGoToFirstFile(zip_->file); rc != UNZ_END_OF_LIST_OF_FILE; rc = unzGoToNextFile(zip_->file)) {
        if (rc != UNZ_OK) throw ZipError("beschadigde inhoudsopgave");
        unz_file_info64 info{};
        char name[1024];
        if (unzGetCurrentFileInfo64(zip_->file, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            throw ZipError("beschadigde inhoudsopgave");
        names_.emplace_back(name);
    }
}

ZipPackage::~ZipPackage() = default;

bool ZipPackage::contains(const std::string& name) const {
    return std::find(names_.begin(), names_.end(), name) != names_.end();
}

namespace {

// The member being read; closed on every way out.
class CurrentMember {
public:
    explicit CurrentMember(unzFile f) : f_(f) {}
    ~CurrentMember() {
        if (f_) unzCloseCurrentFile(f_);
    }
    CurrentMember(const CurrentMember&) = delete;
    CurrentMember& operator=(const CurrentMember&) = delete;
    int close() { return unzCloseCurrentFile(std::exchange(f_, nullptr)); }

private:
    unzFile f_;
};

}  // namespace

void ZipPackage::scan(const std::string& name, const std::function<void(std::string_view)>& piece) const {
    unzFile f = zip_->file;
    if (unzLocateFile(f, name.c_str(), 1) != UNZ_OK) throw ZipError("onderdeel '" + name + "' ontbreekt");
    if (unzOpenCurrentFile(f) != UNZ_OK) throw ZipError("onderdeel '" + name + "' kan niet worden geopend");
    CurrentMember member(f);
    std::vector<char> buf(64 * 1024);
    for (;;) {
        const int n = unzReadCurrentFile(f, buf.data(), static_cast<unsigned>(buf.size()));
        if (n < 0) throw ZipError("onderdeel '" + name + "' is beschadigd");
        if (n == 0) break;
        piece(std::string_view(buf.data(), static_cast<std::size_t>(n)));
    }
    // Read to its end, the member's CRC is compared here.
    const int rc = member.close();
    if (rc == UNZ_CRCERROR) throw ZipError("onderdeel '" + name + "' heeft een verkeerde controlesom");
    if (rc != UNZ_OK) throw ZipError("onderdeel '" + name + "' is beschadigd");
}

std::string ZipPackage::read(const std::string& name, std::size_t maxSize) const {
    std::string out;
    scan(name, [&](std::string_view p) {
        if (out.size() + p.size() > maxSize) throw ZipError("onderdeel '" + name + "' is te groot");
        out.append(p);
    });
    return out;
}

}  // namespace zelk
