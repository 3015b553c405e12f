#pragma once
// Bytes kept in an unlinked scratch file instead of memory, appended through
// a buffer and read back from any offset in large pieces. The file is gone
// when the spool is, also after a crash.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/scratch_file.h"
#include "runtime/runtime_error.h"

namespace zelk {

// A spool whose file cannot be made, written or read. No fault of the row
// at hand: the traps that refuse one row and go on let it pass.
class ScratchSpaceError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

class SpoolFile {
public:
    // What went wrong with a spool: error 1004 with a Dutch text.
    static ScratchSpaceError error(const std::string& what) { return ScratchSpaceError(1004, "Werkmap", what); }

    // error() when no file can be made.
    explicit SpoolFile(std::size_t bufferSize);
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    void putByte(std::uint8_t b) { buffer_.push_back(static_cast<char>(b)); }
    void putVarint(std::uint64_t v);
    void putBits(std::uint64_t v);
    void putDouble(double d);
    void putBytes(std::string_view s) { buffer_.insert(buffer_.end(), s.begin(), s.end()); }

    // Bytes appended so far, written out or not.
    std::uint64_t size() const { return written_ + buffer_.size(); }
    bool bufferFull() const { return buffer_.size() >= bufferSize_; }
    // Writes the buffer out. On a failed write the bytes that reached the
    // file leave the buffer and the others stay for another try.
    void flush();

    // Reads what was flushed, from an offset on.
    class Reader {
    public:
        Reader(const SpoolFile& spool, std::uint64_t from);
        std::uint8_t byte() {
            if (pos_ == end_) refill();
            return static_cast<std::uint8_t>(buffer_[pos_++]);
        }
        std::uint64_t varint();
        std::uint64_t bits();
        double real();
        void bytes(char* out, std::size_t n);

    private:
        void refill();

        const SpoolFile& spool_;
        std::uint64_t offset_;  // of the file, where the next refill reads
        std::vector<char> buffer_;
        std::size_t pos_ = 0, end_ = 0;
    };

private:
    os::ScratchFile file_;
    std::size_t bufferSize_;
    std::vector<char> buffer_;
    std::uint64_t written_ = 0;  // bytes in the file
};

}  // namespace zelk
