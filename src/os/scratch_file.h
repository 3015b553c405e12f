#pragma once
// A file for bulk data that only this process sees: it has no name in any
// folder, so the system reclaims it whatever happens to the process.

#include <cstddef>
#include <cstdint>

namespace zelk::os {

class ScratchFile {
public:
    // std::system_error when no file can be made in the temporary folder.
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Writes all of `size` bytes at `offset`, or throws std::system_error
    // (ENOSPC when the disk takes nothing). `done` tells how many bytes did
    // reach the file before a failure.
    void writeAt(const void* data, std::size_t size, std::uint64_t offset, std::size_t& done);
    // Up to `size` bytes at `offset`; 0 at the end; std::system_error on a
    // failed read.
    std::size_t readAt(void* data, std::size_t size, std::uint64_t offset) const;

private:
    std::intptr_t fd_ = -1;  // a file descriptor, or a Windows handle
};

}  // namespace zelk::os
