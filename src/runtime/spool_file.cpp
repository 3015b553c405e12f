#include "runtime/spool_file.h"

#include <cstring>
#include <system_error>

#include "os/folders.h"
#include "os/system_reason.h"

namespace zelk {
namespace {

// The folder is named: it is what the user can clear or point elsewhere.
std::string reason(const std::system_error& e) {
    return "in de tijdelijke map '" + os::temporaryFolder().string() + "': " + os::reasonText(e.code());
}

os::ScratchFile openScratch() {
    try {
        return os::ScratchFile();
    } catch (const std::system_error& e) {
        throw SpoolFile::error("tijdelijk bestand voor rijen niet aan te maken " + reason(e));
    }
}

}  // namespace

SpoolFile::SpoolFile(std::size_t bufferSize) : file_(openScratch()), bufferSize_(bufferSize) {
    buffer_.reserve(bufferSize);
}

void SpoolFile::putVarint(std::uint64_t v) {
    while (v >= 0x80) {
        buffer_.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    buffer_.push_back(static_cast<char>(v));
}

void SpoolFile::putBits(std::uint64_t v) {
    char b[8];
    std::memcpy(b, &v, sizeof b);
    buffer_.insert(buffer_.end(), b, b + 8);
}

void SpoolFile::putDouble(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    putBits(b);
}

void SpoolFile::flush() {
    if (buffer_.empty()) return;
    std::size_t done = 0;
    try {
        file_.writeAt(buffer_.data(), buffer_.size(), written_, done);
    } catch (const std::system_error& e) {
        written_ += done;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(done));
        throw error("rijen niet weg te schrijven naar een tijdelijk bestand " + reason(e));
    }
    written_ += done;
    buffer_.clear();
}

SpoolFile::Reader::Reader(const SpoolFile& spool, std::uint64_t from)
    : spool_(spool), offset_(from), buffer_(spool.bufferSize_) {}

std::uint64_t SpoolFile::Reader::varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        const std::uint8_t b = byte();
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
    throw error("tijdelijk bestand met rijen is beschadigd");
}

std::uint64_t SpoolFile::Reader::bits() {
    char b[8];
    bytes(b, 8);
    std::uint64_t v;
    std::memcpy(&v, b, sizeof v);
    return v;
}

double SpoolFile::Reader::real() {
    const std::uint64_t b = bits();
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

void SpoolFile::Reader::bytes(char* out, std::size_t n) {
    while (n > 0) {
        if (pos_ == end_) refill();
        const std::size_t k = std::min(n, end_ - pos_);
        std::memcpy(out, buffer_.data() + pos_, k);
        pos_ += k;
        out += k;
        n -= k;
    }
}

void SpoolFile::Reader::refill() {
    const std::uint64_t size = spool_.written_;
    if (offset_ >= size) throw error("tijdelijk bestand met rijen is onvolledig");
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), size - offset_));
    std::size_t got = 0;
    try {
        got = spool_.file_.readAt(buffer_.data(), want, offset_);
    } catch (const std::system_error& e) {
        throw error("tijdelijk bestand met rijen niet te lezen " + reason(e));
    }
    if (got == 0) throw error("tijdelijk bestand met rijen is onvolledig");
    offset_ += got;
    pos_ = 0;
    end_ = got;
}

}  // namespace zelk
