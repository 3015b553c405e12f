#include "database/access/access_header.h"

#include <array>
#include <cstring>
#include <fstream>

#include "database/access/access_text.h"

namespace zelk::access {

namespace {

constexpr std::size_t kScrambledStart = 0x18;
constexpr std::size_t kScrambledJet3 = 126;
constexpr std::size_t kScrambledJet4 = 128;
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kDatabaseKeyOffset = 0x3E;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kPasswordJet3 = 20;
constexpr std::size_t kPasswordJet4 = 40;
constexpr std::size_t kCreationDateOffset = 0x72;
constexpr std::size_t kHeaderBytes = kScrambledStart + kScrambledJet4;

void rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % keyLength]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t x = 0, y = 0;
    for (std::size_t n = 0; n < size; ++n) {
        x = static_cast<std::uint8_t>(x + 1);
        y = static_cast<std::uint8_t>(y + s[x]);
        std::swap(s[x], s[y]);
        data[n] ^= s[static_cast<std::uint8_t>(s[x] + s[y])];
    }
}

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

bool hasAccessSignature(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kPageStart[] = {0x00, 0x01, 0x00, 0x00};
    if (size < 20 || std::memcmp(data, kPageStart, 4) != 0) return false;
    return std::memcmp(data + 4, "Standard Jet DB\0", 16) == 0 || std::memcmp(data + 4, "Standard ACE DB\0", 16) == 0;
}

std::optional<FileHeader> parseFileHeader(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes || !hasAccessSignature(data, size)) return std::nullopt;
    FileHeader h;
    h.version = le32(data + kVersionOffset);
    h.jet3 = h.version == 0;
    h.ace = h.version >= 2;

    std::array<std::uint8_t, kHeaderBytes> page{};
    std::memcpy(page.data(), data, kHeaderBytes);
    static constexpr std::uint8_t kKey[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(kKey, sizeof kKey, page.data() + kScrambledStart, h.jet3 ? kScrambledJet3 : kScrambledJet4);

    const std::uint32_t databaseKey = le32(page.data() + kDatabaseKeyOffset);
    // Jet 3/4 "encoded" files (RC4 per page with this key) can be read without
    // a password; an ACE file with a key was encrypted with its password.
    h.encrypted = h.ace && databaseKey != 0;
    if (h.encrypted) return h;

    if (h.jet3) {
        const std::uint8_t* pw = page.data() + kPasswordOffset;
        std::size_t n = 0;
        while (n < kPasswordJet3 && pw[n] != 0) ++n;
        h.password = windows1252ToUtf16(pw, n);
    } else {
        std::array<std::uint8_t, kPasswordJet4> pw{};
        std::memcpy(pw.data(), page.data() + kPasswordOffset, pw.size());
        double created = 0;
        std::memcpy(&created, page.data() + kCreationDateOffset, sizeof created);
        // The mask is the whole-day part of the creation date as a 32-bit integer.
        std::int32_t day = 0;
        if (created > -2147483648.0 && created < 2147483648.0) day = static_cast<std::int32_t>(created);
        std::uint8_t mask[4];
        const auto d = static_cast<std::uint32_t>(day);
        for (int i = 0; i < 4; ++i) mask[i] = static_cast<std::uint8_t>(d >> (8 * i));
        for (std::size_t i = 0; i < pw.size(); ++i) pw[i] ^= mask[i % 4];
        for (std::size_t i = 0; i + 1 < pw.size(); i += 2) {
            const char16_t unit = static_cast<char16_t>(pw[i] | (pw[i + 1] << 8));
            if (unit == 0) break;
            h.password += unit;
        }
    }
    return h;
}

std::optional<FileHeader> readFileHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::array<std::uint8_t, kHeaderBytes> bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    return parseFileHeader(bytes.data(), static_cast<std::size_t>(in.gcount()));
}

bool passwordAccepted(const FileHeader& header, const std::string& password) {
    if (header.password.empty()) return true;
    return utf8ToUtf16(password) == header.password;
}

}  // namespace zelk::access
