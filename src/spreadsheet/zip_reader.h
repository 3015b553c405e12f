#pragma once
// Just enough of the zip format to read an .xlsx package: the central
// directory and stored or deflated members. Also used to check that a
// workbook just written is a complete package before it replaces anything.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <string>
#include <vector>

namespace zelk {

struct ZipError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ZipReader {
public:
    // Reads the central directory; ZipError when the file is not a complete zip.
    explicit ZipReader(const std::string& path);

    std::vector<std::string> names() const;
    bool contains(const std::string& name) const;
    // The member's bytes, checked against its size and CRC. A member larger
    // than maxSize is refused (a hostile file cannot exhaust memory).
    std::string read(const std::string& name, std::size_t maxSize = std::size_t{1} << 30) const;
    // The member's bytes in pieces, for members too large to hold at once;
    // checked against size and CRC at the end.
    void scan(const std::string& name, const std::function<void(std::string_view)>& piece) const;

private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint64_t compressedSize = 0, size = 0, localOffset = 0;
    };
    const Entry& entry(const std::string& name) const;

    std::string path_;
    std::uint64_t fileSize_ = 0;
    std::vector<Entry> entries_;
};

}  // namespace zelk
