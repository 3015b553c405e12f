#include "database/sqlite_handle.h"

#include <algorithm>
#include <mutex>
#include <system_error>

#include "os/folders.h"
#include "os/system_reason.h"
#include "runtime/text.h"

namespace zelk::sqlite {
namespace {
thread_local std::uint64_t gSteps = 0;
}  // namespace

std::uint64_t stepBudget(std::int64_t pages) {
    constexpr std::uint64_t kPerPage = 250000;
    constexpr std::uint64_t kLeast = 100000000;  // a second or two
    return std::max(kLeast, kPerPage * static_cast<std::uint64_t>(std::max<std::int64_t>(pages, 0)));
}

std::uint64_t stepsTaken() { return gSteps; }

void check(sqlite3* db, int rc) {
    if (rc == SQLITE_OK) return;
    throw Failure(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

Connection open(const std::string& path, int flags) {
    // SQLite's own temporary files (large sorts and results) go to the
    // program's temporary folder, the one its messages name: left alone,
    // SQLite would prefer /var/tmp when TMPDIR is not set. Set once, before
    // the first connection, as SQLite asks of this variable.
    static std::once_flag temporaryFolderSet;
    std::call_once(temporaryFolderSet,
                   [] { sqlite3_temp_directory = sqlite3_mprintf("%s", os::temporaryFolder().c_str()); });
    sqlite3* raw = nullptr;
    // A connection is only ever used from one thread: no mutexes needed.
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection db(raw);  // a handle comes back even on failure and must be closed
    if (rc != SQLITE_OK) throw Failure(rc, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    exec(raw, "PRAGMA cache_size=-" + std::to_string(kPageCacheKiB));
    return db;
}

Statement prepare(sqlite3* db, std::string_view sql, std::string_view* tail) {
    sqlite3_stmt* raw = nullptr;
    const char* rest = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &rest);
    Statement stmt(raw);
    check(db, rc);
    if (tail) *tail = rest ? sql.substr(static_cast<size_t>(rest - sql.data())) : std::string_view();
    if (!stmt) throw Failure(SQLITE_MISUSE, "geen SQL-instructie");
    return stmt;
}

void exec(sqlite3* db, const std::string& sql) {
    ++gSteps;
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        throw Failure(rc, msg);
    }
}

bool step(sqlite3* db, sqlite3_stmt* stmt) {
    ++gSteps;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw Failure(rc, sqlite3_errmsg(db));
}

std::string columnText(sqlite3_stmt* stmt, int col) {
    const auto* p = sqlite3_column_text(stmt, col);
    if (!p) return {};
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(stmt, col)));
}

std::string quoteIdentifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::vector<std::string> columnNames(sqlite3* db, const std::string& schema, const std::string& table) {
    std::vector<std::string> out;
    const std::string qualifier = schema.empty() ? "" : quoteIdentifier(schema) + ".";
    auto st = prepare(db, "PRAGMA " + qualifier + "table_info(" + quoteIdentifier(table) + ")");
    while (step(db, st.get())) out.push_back(upperCase(columnText(st.get(), 1)));
    return out;
}

std::optional<std::string> diskReason(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_FULL: return os::reasonText(std::make_error_code(std::errc::no_space_on_device));
    case SQLITE_IOERR: return os::reasonText(std::make_error_code(std::errc::io_error));
    default: return std::nullopt;
    }
}

}  // namespace zelk::sqlite
