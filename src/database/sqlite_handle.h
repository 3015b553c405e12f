#pragma once
// Owning handles for SQLite connections and statements, and the one failure
// type the engine code throws before a failure is given its Jet number.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::sqlite {

struct ConnectionCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// A failed SQLite call: the primary result code (SQLITE_BUSY, SQLITE_NOTADB...)
// and SQLite's own English message.
class Failure : public std::runtime_error {
public:
    Failure(int code, std::string message)
        : std::runtime_error(message), code_(code & 0xff), message_(std::move(message)) {}
    int code() const { return code_; }
    const std::string& message() const { return message_; }

private:
    int code_;
    std::string message_;
};

// Throws Failure with the connection's message when rc is not SQLITE_OK.
void check(sqlite3* db, int rc);

// How long a connection waits for another one's lock before SQLITE_BUSY:
// long enough for a second export of the same file to finish its write.
constexpr int kBusyTimeoutMs = 3000;

// The page cache of a connection, in KiB. SQLite's default of 2 MB keeps too
// little of the history tables' indexes: at 300 000 assets the lookups then
// read the same pages again and again. Allocated as pages are read.
constexpr int kPageCacheKiB = 16384;

// The largest value (text or blob) and row a connection to an asset database
// reads or builds. SQLite's own limit of a billion bytes would let one
// damaged record or hostile view claim that much memory; a cell holds at most
// 32767 characters, so a few megabytes is ample.
constexpr int kMaxValueBytes = 4 << 20;

// How many engine instructions one step of a statement may take on a
// database of `pages` pages before it is taken for a runaway: some two
// hundred times what the heaviest step of the program takes per page (the
// integrity check, about 1 200; ANALYZE 600, the mapping query's first step
// 270), and never less than a second or two of work.
std::uint64_t stepBudget(std::int64_t pages);

// Steps taken by this thread through step() and exec(): a progress handler
// learns from it that the statement it watches moved on.
std::uint64_t stepsTaken();

// Opens a connection (with the busy timeout); never creates a file unless
// flags ask for it. The first one also sends SQLite's temporary files to the
// program's temporary folder (os::temporaryFolder, as it is then).
Connection open(const std::string& path, int flags);

// Prepares the first statement of `sql`; `tail` receives what follows it.
Statement prepare(sqlite3* db, std::string_view sql, std::string_view* tail = nullptr);

// Runs statements that return no rows of interest.
void exec(sqlite3* db, const std::string& sql);

// Steps a statement once: true for a row, false when done; throws on error.
bool step(sqlite3* db, sqlite3_stmt* stmt);

// Text of a column, "" for NULL.
std::string columnText(sqlite3_stmt* stmt, int col);

// An identifier quoted for SQL text ("name", with inner quotes doubled).
std::string quoteIdentifier(std::string_view name);

// The file system's reason behind a full disk or a failing device, in Dutch
// (SQLite's own texts are English); none for other failures.
std::optional<std::string> diskReason(int rc);

// The column names of a table or view, in upper case; empty when there is
// none of that name. An empty `schema` searches every attached one.
std::vector<std::string> columnNames(sqlite3* db, const std::string& schema, const std::string& table);

}  // namespace zelk::sqlite
