#pragma once
// The program's own file numbers 1..255, as the runtime handed them out: a
// file is opened under the lowest free number and addressed by it until it
// is closed. Texts written in text modes go out as Windows-1252 bytes.
// Failures raise RuntimeError with the runtime's numbers: 52 bad number or
// name, 53 file not found, 54 bad file mode, 55 already open, 57 write
// failed, 62 past the end, 63 bad position, 67 too many files, 75 path/file
// access error, 76 path not found.

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace zelk {

enum class OpenKind {
    TextInput,       // must exist
    TextOutput,      // created or emptied
    TextAppend,      // created when missing
    Binary,          // read and write, created when missing
    BinaryWrite,     // write only, created when missing, not emptied
    BinaryRead,      // read only, must exist
    BinaryExisting,  // read and write, must exist
    BinaryEmptied,   // read and write, created or emptied
};

class FileTable {
public:
    static constexpr int kMaxFiles = 255;

    // FreeFile: the lowest free number, 0 when all are taken.
    int freeFile() const;
    // Opens `path` under the lowest free number and returns it.
    int open(const std::string& path, OpenKind kind);
    // Close #n; a number that is not open is left alone.
    void close(int n);
    void closeAll();
    bool isOpen(int n) const;
    const std::string& path(int n) const;

    // Print #n, text: the text and CR LF. Flushed, so a log survives a crash.
    void printLine(int n, const std::string& utf8);
    // Line Input #n: the next line without its CR LF (or LF).
    std::string lineInput(int n);
    bool eof(int n) const;
    // LOF: the length in bytes.
    long long lof(int n) const;
    // Get and Put of raw bytes at a 1-based byte position.
    std::string getBytes(int n, long long position, std::size_t count);
    void putBytes(int n, long long position, const std::string& bytes);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    struct Entry {
        std::unique_ptr<std::FILE, Closer> file;
        std::string path;
        OpenKind kind{};
    };
    Entry& entry(int n);
    const Entry& entry(int n) const;

    std::array<Entry, kMaxFiles + 1> files_;  // [0] is never used
};

}  // namespace zelk
