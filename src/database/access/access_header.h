#pragma once
// Page 0 of an Access file: its format and its database password. Part of the
// page is scrambled with a fixed RC4 key; Jet 4 and later mask the password a
// second time with the file's creation date. This parser works on the bytes
// alone (no library), so it can run in the program's own process on any file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelk::access {

struct FileHeader {
    std::uint32_t version = 0;  // 0 Jet 3, 1 Jet 4, 2 and up ACE (.accdb)
    bool jet3 = false;
    bool ace = false;
    // The pages are encrypted with the Office crypto of a password-protected
    // .accdb; nothing of the data can be read without decrypting it.
    bool encrypted = false;
    std::u16string password;  // the database password, empty when there is none
};

// True when the bytes start with an Access page-0 signature.
bool hasAccessSignature(const std::uint8_t* data, std::size_t size);

// nullopt when the bytes are not (the start of) an Access page 0.
std::optional<FileHeader> parseFileHeader(const std::uint8_t* data, std::size_t size);

// Reads the start of the file; nullopt when it cannot be read or is no Access file.
std::optional<FileHeader> readFileHeader(const std::string& path);

// The check Jet makes when a database is opened: a file without a password
// opens with any password; otherwise the given one must be equal, case included.
bool passwordAccepted(const FileHeader& header, const std::string& password);

}  // namespace zelk::access
