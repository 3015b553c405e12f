#pragma once
// Reading the members of an .xlsx package (a zip file) through minizip:
// the directory, and each member's bytes checked against its CRC. Also used
// to check a workbook just written before it replaces anything.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct ZipError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ZipPackage {
public:
    // Reads the directory; ZipError when the file is not a complete zip.
    explicit ZipPackage(const std::string& path);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    const std::vector<std::string>& names() const { return names_; }
    bool contains(const std::string& name) const;
    // The member's bytes. A member larger than maxSize is refused (a hostile
    // file cannot exhaust memory). ZipError on a damaged member.
    std::string read(const std::string& name, std::size_t maxSize = std::size_t{1} << 30) const;
    // The member's bytes in pieces, for members too large to hold at once;
    // the CRC is checked at the end.
    void scan(const std::string& name, const std::function<void(std::string_view)>& piece) const;

private:
    struct Handle;
    std::string path_;
    std::unique_ptr<Handle> zip_;
    std::vector<std::string> names_;
};

}  // namespace zelk
