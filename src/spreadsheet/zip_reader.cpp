#include "spreadsheet/zip_reader.h"

#include <zlib.h>

#include <cstdio>
#include <memory>

namespace zelk {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr openFile(const std::string& path) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) throw ZipError("kan '" + path + "' niet openen");
    return f;
}

std::uint32_t le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void readAt(std::FILE* f, std::uint64_t offset, void* buf, std::size_t n) {
    if (std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0 || std::fread(buf, 1, n, f) != n)
        throw ZipError("onverwacht einde van het bestand");
}

}  // namespace

ZipReader::ZipReader(const std::string& path) : path_(path) {
    FilePtr f = openFile(path);
    if (std::fseek(f.get(), 0, SEEK_END) != 0) throw ZipError("kan niet zoeken in het bestand");
    const long end = std::ftell(f.get());
    if (end < 22) throw ZipError("geen zip-bestand (te kort)");
    fileSize_ = static_cast<std::uint64_t>(end);

    // The end record lies in the last 22 + 65535 bytes (its comment may be that long).
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize_, 22 + 65535));
    std::vector<unsigned char> buf(tail);
    readAt(f.get(), fileSize_ - tail, buf.data(), tail);
    std::size_t eocd = std::string::npos;
    for (std::size_t i = tail - 22 + 1; i-- > 0;)
        if (le32(&buf[i]) == 0x06054b50) {
            eocd = i;
            break;
        }
    if (eocd == std::string::npos) throw ZipError("geen zip-bestand (geen einde-record)");
    const unsigned char* e = &buf[eocd];
    const std::uint32_t count = le16(e + 10);
    const std::uint64_t dirSize = le32(e + 12);
    const std::uint64_t dirOffset = le32(e + 16);
    if (count == 0xFFFF || dirOffset == 0xFFFFFFFF) throw ZipError("zip64 wordt niet ondersteund");
    if (dirOffset + dirSize > fileSize_ - tail + eocd) throw ZipError("beschadigde centrale map");

    std::vector<unsigned char> dir(static_cast<std::size_t>(dirSize));
    if (dirSize) readAt(f.get(), dirOffset, dir.data(), dir.size());
    std::size_t p = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (p + 46 > dir.size() || le32(&dir[p]) != 0x02014b50) throw ZipError("beschadigde centrale map");
        Entry en;
        en.method = static_cast<std::uint16_t>(le16(&dir[p + 10]));
        en.crc = le32(&dir[p + 16]);
        en.compressedSize = le32(&dir[p + 20]);
        en.size = le32(&dir[p + 24]);
        const std::size_t nameLen = le16(&dir[p + 28]), extraLen = le16(&dir[p + 30]), commentLen = le16(&dir[p + 32]);
        en.localOffset = le32(&dir[p + 42]);
        if (p + 46 + nameLen + extraLen + commentLen > dir.size()) throw ZipError("beschadigde centrale map");
        en.name.assign(reinterpret_cast<const char*>(&dir[p + 46]), nameLen);
        p += 46 + nameLen + extraLen + commentLen;

        // The member's own header must be where the directory says, and its
        // data must lie inside the file: a cut-off file fails here.
        unsigned char local[30];
        if (en.localOffset + 30 > dirOffset) throw ZipError("beschadigd lid '" + en.name + "'");
        readAt(f.get(), en.localOffset, local, sizeof local);
        if (le32(local) != 0x04034b50) throw ZipError("beschadigd lid '" + en.name + "'");
        const std::uint64_t dataStart = en.localOffset + 30 + le16(local + 26) + le16(local + 28);
        if (dataStart + en.compressedSize > dirOffset) throw ZipError("beschadigd lid '" + en.name + "'");
        entries_.push_back(std::move(en));
    }
}

std::vector<std::string> ZipReader::names() const {
    std::vector<std::string> out;
    for (const auto& e : entries_) out.push_back(e.name);
    return out;
}

bool ZipReader::contains(const std::string& name) const {
    for (const auto& e : entries_)
        if (e.name == name) return true;
    return false;
}

const ZipReader::Entry& ZipReader::entry(const std::string& name) const {
    for (const auto& e : entries_)
        if (e.name == name) return e;
    throw ZipError("'" + name + "' ontbreekt");
}

std::string ZipReader::read(const std::string& name, std::size_t maxSize) const {
    const Entry& en = entry(name);
    if (en.size > maxSize) throw ZipError("'" + name + "' is te groot");
    std::string out;
    out.reserve(static_cast<std::size_t>(en.size));
    scan(name, [&](std::string_view piece) { out.append(piece); });
    return out;
}

void ZipReader::scan(const std::string& name, const std::function<void(std::string_view)>& piece) const {
    const Entry& en = entry(name);
    if (en.method != 0 && en.method != 8) throw ZipError("'" + name + "' gebruikt een onbekende compressie");
    FilePtr f = openFile(path_);
    unsigned char local[30];
    readAt(f.get(), en.localOffset, local, sizeof local);
    const std::uint64_t dataStart = en.localOffset + 30 + le16(local + 26) + le16(local + 28);
    if (std::fseek(f.get(), static_cast<long>(dataStart), SEEK_SET) != 0) throw ZipError("kan niet zoeken in het bestand");

    struct Inflater {
        z_stream zs{};
        bool open = false;
        ~Inflater() {
            if (open) inflateEnd(&zs);
        }
    } inf;
    if (en.method == 8) {
        if (inflateInit2(&inf.zs, -MAX_WBITS) != Z_OK) throw ZipError("zlib kan niet starten");
        inf.open = true;
    }
    std::vector<unsigned char> in(1 << 16), out(1 << 18);
    std::uint64_t left = en.compressedSize, produced = 0;
    uLong crc = crc32(0L, Z_NULL, 0);
    auto deliver = [&](const unsigned char* p, std::size_t n) {
        produced += n;
        // Never trust the declared size: stop as soon as the member outgrows it.
        if (produced > en.size) throw ZipError("'" + name + "' is groter dan opgegeven");
        crc = crc32(crc, p, static_cast<uInt>(n));
        piece(std::string_view(reinterpret_cast<const char*>(p), n));
    };
    bool ended = en.method == 0;
    while (left > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, in.size()));
        if (std::fread(in.data(), 1, n, f.get()) != n) throw ZipError("onverwacht einde van het bestand");
        left -= n;
        if (en.method == 0) {
            deliver(in.data(), n);
            continue;
        }
        inf.zs.next_in = in.data();
        inf.zs.avail_in = static_cast<uInt>(n);
        while (inf.zs.avail_in > 0 && !ended) {
            inf.zs.next_out = out.data();
            inf.zs.avail_out = static_cast<uInt>(out.size());
            const int rc = inflate(&inf.zs, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) throw ZipError("'" + name + "' is beschadigd");
            deliver(out.data(), out.size() - inf.zs.avail_out);
            if (rc == Z_STREAM_END) ended = true;
        }
    }
    // Output still held back by the inflater.
    while (!ended) {
        inf.zs.next_out = out.data();
        inf.zs.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&inf.zs, Z_FINISH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) throw ZipError("'" + name + "' is beschadigd");
        const std::size_t got = out.size() - inf.zs.avail_out;
        deliver(out.data(), got);
        if (rc == Z_STREAM_END) ended = true;
        else if (got == 0) throw ZipError("'" + name + "' is afgebroken");
    }
    if (produced != en.size) throw ZipError("'" + name + "' heeft de verkeerde lengte");
    if (crc != en.crc) throw ZipError("'" + name + "' heeft een verkeerde controlesom");
}

}  // namespace zelk
