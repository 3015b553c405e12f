#include "messages/file_table.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "os/regular_file.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace fs = std::filesystem;

namespace {

bool isBinary(OpenKind k) {
    return k == OpenKind::Binary || k == OpenKind::BinaryWrite || k == OpenKind::BinaryRead ||
           k == OpenKind::BinaryExisting || k == OpenKind::BinaryEmptied;
}
bool sequentialWrite(OpenKind k) { return k == OpenKind::TextOutput || k == OpenKind::TextAppend; }
bool mustExist(OpenKind k) {
    return k == OpenKind::TextInput || k == OpenKind::BinaryRead || k == OpenKind::BinaryExisting;
}

// The runtime's number for a failed open.
long openError(int err, const fs::path& p) {
    switch (err) {
    case ENOENT: {
        std::error_code ec;
        const fs::path parent = p.parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) return 76;
        return 53;
    }
    case ENOTDIR: return 76;
    case EMFILE:
    case ENFILE: return 67;
    case ENAMETOOLONG: return 52;
    default: return 75;  // access denied, read-only, a directory, ...
    }
}

std::string sameFileKey(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(path), ec);
    return ec ? fs::absolute(fs::path(path), ec).lexically_normal().string() : p.string();
}

}  // namespace

int FileTable::freeFile() const {
    for (int n = 1; n <= kMaxFiles; ++n)
        if (!files_[static_cast<std::size_t>(n)].file) return n;
    return 0;
}

int FileTable::open(const std::string& path, OpenKind kind) {
    const int n = freeFile();
    if (n == 0) throw RuntimeError(67);
    if (path.empty() || path.find('\0') != std::string::npos) throw RuntimeError(path.empty() ? 75 : 52);
    const fs::path p(path);
    std::error_code ec;
    if (fs::is_directory(p, ec)) throw RuntimeError(75);

    // One program may not write a file through two numbers at once.
    const std::string key = sameFileKey(path);
    for (const Entry& e : files_)
        if (e.file && (sequentialWrite(kind) || sequentialWrite(e.kind)) && sameFileKey(e.path) == key)
            throw RuntimeError(55);

    if (!mustExist(kind) && kind != OpenKind::TextOutput && kind != OpenKind::TextAppend &&
        kind != OpenKind::BinaryEmptied && !fs::exists(p, ec)) {
        // Binary modes create a missing file but keep an existing one.
        std::unique_ptr<std::FILE, Closer> created(os::openRegularFile(p, "ab"));
        if (!created) throw RuntimeError(openError(errno, p));
    }
    const char* mode = "rb";
    switch (kind) {
    case OpenKind::TextInput:
    case OpenKind::BinaryRead: mode = "rb"; break;
    case OpenKind::TextOutput: mode = "wb"; break;
    case OpenKind::TextAppend: mode = "ab"; break;
    case OpenKind::Binary:
    case OpenKind::BinaryWrite:
    case OpenKind::BinaryExisting: mode = "r+b"; break;
    case OpenKind::BinaryEmptied: mode = "w+b"; break;
    }
    errno = 0;
    // Never a FIFO or a device: the open would wait for its other end.
    std::unique_ptr<std::FILE, Closer> f(os::openRegularFile(p, mode));
    if (!f) throw RuntimeError(openError(errno, p));
    Entry& e = files_[static_cast<std::size_t>(n)];
    e.file = std::move(f);
    e.path = path;
    e.kind = kind;
    return n;
}

void FileTable::close(int n) {
    if (n >= 1 && n <= kMaxFiles) files_[static_cast<std::size_t>(n)] = Entry{};
}

void FileTable::closeAll() {
    for (Entry& e : files_) e = Entry{};
}

bool FileTable::isOpen(int n) const { return n >= 1 && n <= kMaxFiles && files_[static_cast<std::size_t>(n)].file; }

FileTable::Entry& FileTable::entry(int n) {
    if (!isOpen(n)) throw RuntimeError(52);
    return files_[static_cast<std::size_t>(n)];
}

const FileTable::Entry& FileTable::entry(int n) const {
    if (!isOpen(n)) throw RuntimeError(52);
    return files_[static_cast<std::size_t>(n)];
}

const std::string& FileTable::path(int n) const { return entry(n).path; }

void FileTable::printLine(int n, const std::string& utf8) {
    Entry& e = entry(n);
    if (e.kind != OpenKind::TextOutput && e.kind != OpenKind::TextAppend) throw RuntimeError(54);
    const std::string bytes = utf8ToCp1252(utf8) + "\r\n";
    if (std::fwrite(bytes.data(), 1, bytes.size(), e.file.get()) != bytes.size() || std::fflush(e.file.get()) != 0)
        throw RuntimeError(57);
}

std::string FileTable::lineInput(int n) {
    Entry& e = entry(n);
    if (e.kind != OpenKind::TextInput) throw RuntimeError(54);
    std::string bytes;
    int c = std::fgetc(e.file.get());
    if (c == EOF) throw RuntimeError(62);
    for (; c != EOF && c != '\n'; c = std::fgetc(e.file.get())) bytes += static_cast<char>(c);
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    return cp1252ToUtf8(bytes);
}

bool FileTable::eof(int n) const {
    const Entry& e = entry(n);
    const int c = std::fgetc(e.file.get());
    if (c == EOF) return true;
    std::ungetc(c, e.file.get());
    return false;
}

long long FileTable::lof(int n) const {
    const Entry& e = entry(n);
    std::error_code ec;
    std::fflush(e.file.get());
    const auto size = fs::file_size(e.path, ec);
    if (ec) throw RuntimeError(75);
    return static_cast<long long>(size);
}

std::string FileTable::getBytes(int n, long long position, std::size_t count) {
    Entry& e = entry(n);
    if (e.kind == OpenKind::BinaryWrite || !isBinary(e.kind)) throw RuntimeError(54);
    if (position < 1) throw RuntimeError(63);
    if (std::fseek(e.file.get(), static_cast<long>(position - 1), SEEK_SET) != 0) throw RuntimeError(63);
    std::string out(count, '\0');
    out.resize(std::fread(out.data(), 1, count, e.file.get()));
    return out;
}

void FileTable::putBytes(int n, long long position, const std::string& bytes) {
    Entry& e = entry(n);
    if (!isBinary(e.kind) || e.kind == OpenKind::BinaryRead) throw RuntimeError(54);
    if (position < 1) throw RuntimeError(63);
    if (std::fseek(e.file.get(), static_cast<long>(position - 1), SEEK_SET) != 0) throw RuntimeError(63);
    if (std::fwrite(bytes.data(), 1, bytes.size(), e.file.get()) != bytes.size() || std::fflush(e.file.get()) != 0)
        throw RuntimeError(57);
}

}  // namespace zelk
