#include "database/access/sqlite_writer.h"

#include "database/access/access_queries.h"
#include "database/sqlite_handle.h"

namespace zelk::access {

namespace {

// SQLite's result codes for a full disk or a failing device, which Jet
// reports as a disk or network error, with the reason in Dutch (SQLite's own
// text is English); anything else is a failed copy.
CopyError errorFor(int rc) {
    if (const auto reason = sqlite::diskReason(rc)) return {3043, "Schijf- of netwerkfout (" + *reason + ")."};
    if ((rc & 0xFF) == SQLITE_CANTOPEN) return {3043, "Schijf- of netwerkfout (het bestand kan niet worden gemaakt)."};
    return {3343, "Onbekende database-indeling"};
}

}  // namespace

std::string declaredType(ColumnType kind) {
    switch (kind) {
    case ColumnType::Text:
    case ColumnType::Memo:
    case ColumnType::Guid: return "TEXT COLLATE NOCASE";
    case ColumnType::Byte: return "BYTE";
    case ColumnType::Integer: return "SMALLINT";
    case ColumnType::Long:
    case ColumnType::Complex: return "INTEGER";
    case ColumnType::Single: return "SINGLE";
    case ColumnType::Double:
    case ColumnType::Numeric: return "DOUBLE";
    case ColumnType::Currency: return "CURRENCY";
    case ColumnType::DateTime: return "DATETIME";
    case ColumnType::Boolean: return "BOOLEAN";
    case ColumnType::Binary:
    case ColumnType::OleObject:
    case ColumnType::Unknown: return "BLOB";
    }
    return "BLOB";
}

SqliteWriter::SqliteWriter(const std::string& path) : db_(nullptr, sqlite3_close) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) fail(rc);
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
}

void SqliteWriter::onProgress(std::function<void()> alive) {
    alive_ = std::move(alive);
    sqlite3_progress_handler(
        db_.get(), 100000,
        [](void* f) {
            (*static_cast<std::function<void()>*>(f))();
            return 0;
        },
        &alive_);
}

void SqliteWriter::fail(int rc) { throw errorFor(rc); }

void SqliteWriter::exec(const std::string& sql) {
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

bool SqliteWriter::tryExec(const std::string& sql, std::string& error) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return true;
    error = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    const int primary = rc & 0xFF;
    if (primary == SQLITE_FULL || primary == SQLITE_IOERR) fail(rc);
    return false;
}

bool SqliteWriter::viewWorks(const std::string& name, std::string& error) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "SELECT * FROM " + quoteIdentifier(name);
    const int rc = sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    if (rc == SQLITE_OK) return true;
    error = sqlite3_errmsg(db_.get());
    return false;
}

SqliteWriter::Inserter::Inserter(SqliteWriter& db, const std::string& table, std::size_t columns)
    : db_(db), stmt_(nullptr, sqlite3_finalize) {
    std::string sql = "INSERT INTO " + quoteIdentifier(table) + " VALUES (";
    for (std::size_t i = 0; i < columns; ++i) sql += i ? ",?" : "?";
    sql += ")";
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db.db_.get(), sql.c_str(), -1, &raw, nullptr);
    stmt_.reset(raw);
    if (rc != SQLITE_OK) db.fail(rc);
}

void SqliteWriter::Inserter::insert(const std::vector<FieldValue>& values) {
    sqlite3_stmt* s = stmt_.get();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        const FieldValue& v = values[i];
        if (const auto* n = std::get_if<std::int64_t>(&v)) {
            sqlite3_bind_int64(s, at, *n);
        } else if (const auto* d = std::get_if<double>(&v)) {
            sqlite3_bind_double(s, at, *d);  // NaN reads back as NULL
        } else if (const auto* t = std::get_if<std::string>(&v)) {
            sqlite3_bind_text64(s, at, t->data(), t->size(), SQLITE_STATIC, SQLITE_UTF8);
        } else if (const auto* b = std::get_if<Blob>(&v)) {
            if (b->empty()) sqlite3_bind_zeroblob(s, at, 0);  // a null pointer would bind NULL
            else sqlite3_bind_blob64(s, at, b->data(), b->size(), SQLITE_STATIC);
        } else {
            sqlite3_bind_null(s, at);
        }
    }
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) db_.fail(rc);
}

}  // namespace zelk::access
