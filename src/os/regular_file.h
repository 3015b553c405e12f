#pragma once
// Opening a file the user named, where a FIFO, a device or a socket would
// block the program (an open for reading waits for a writer, an open for
// writing for a reader) or hand it an endless stream.

#include <cstdio>
#include <filesystem>

namespace zelk::os {

// As std::fopen with `mode` ("rb", "wb", "ab", "r+b", "w+b"), but only for a
// regular file: anything else is refused before the open could wait for it,
// with errno EINVAL. Null, with errno set, when the file does not open. A
// "w" mode empties the file only once it is known to be a regular one.
std::FILE* openRegularFile(const std::filesystem::path& path, const char* mode);

}  // namespace zelk::os
