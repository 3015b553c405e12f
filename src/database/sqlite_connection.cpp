#include "database/sqlite_connection.h"
#include "runtime/text.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "database/access/scratch_folder.h"
#include "database/dynaset_recordset.h"
#include "database/jet_errors.h"
#include "database/jet_functions.h"
#include "database/materialized_recordset.h"
#include "database/row_store.h"
#include "database/table_index.h"
#include "database/table_recordset.h"
#include "os/file_access.h"
#include "os/folders.h"
#include "os/regular_file.h"

namespace zelk {
namespace {

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// A query's text without its closing ";" and the blanks around it.
std::string withoutTerminator(std::string s) {
    s = trim(s);
    while (!s.empty() && s.back() == ';') s = trim(s.substr(0, s.size() - 1));
    return s;
}

std::string directoryOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

DbError diskError() {
    return DbError(jet::kDiskError, "Er is een schijf- of netwerkfout opgetreden.", jet::kSourceWorkspace);
}

// Jet's answers for a name that leads nowhere, decided before any engine
// touches the path (a FIFO or device must never be opened).
void checkPath(const std::string& path) {
    if (path.empty() || path.back() == '/') throw jet::invalidFileName(path);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec) {
        if (!std::filesystem::is_regular_file(status)) throw jet::invalidFileName(path);
        return;
    }
    if (ec == std::errc::permission_denied) throw jet::noPermission(path);
    if (ec == std::errc::filename_too_long) throw jet::invalidFileName(path);
    if (ec == std::errc::no_such_file_or_directory) {
        std::error_code dirEc;
        if (std::filesystem::is_directory(directoryOf(path), dirEc)) throw jet::fileNotFound(path);
    }
    throw jet::invalidPath(path);
}

enum class FileKind { Sqlite, Access, Other };

FileKind kindOfFile(const std::string& path) {
    struct FileCloser {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> f(os::openRegularFile(path, "rb"));
    if (!f) {
        if (errno == EACCES || errno == EPERM) throw jet::noPermission(path);
        if (errno == ENOENT) throw jet::fileNotFound(path);
        if (errno == EINVAL) throw jet::invalidFileName(path);  // it became a FIFO or a device since checkPath
        throw diskError();
    }
    std::array<char, 20> head{};
    const size_t n = std::fread(head.data(), 1, head.size(), f.get());
    if (std::ferror(f.get())) throw diskError();
    if (n >= 16 && std::memcmp(head.data(), "SQLite format 3", 16) == 0) return FileKind::Sqlite;
    if (n >= 20 && head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0 &&
        (std::memcmp(head.data() + 4, "Standard Jet DB", 16) == 0 ||
         std::memcmp(head.data() + 4, "Standard ACE DB", 16) == 0))
        return FileKind::Access;
    return FileKind::Other;
}

struct Connect {
    std::string type;
    std::string password;
};

Connect parseConnect(const std::string& connect) {
    Connect c;
    size_t start = 0;
    bool first = true;
    while (start <= connect.size()) {
        const size_t end = std::min(connect.find(';', start), connect.size());
        const std::string part = connect.substr(start, end - start);
        if (first) c.type = trim(part);
        else if (upperCase(part.substr(0, 4)) == "PWD=") c.password = part.substr(4);
        first = false;
        start = end + 1;
    }
    return c;
}

// A source that is a select (or another statement) rather than the name of a
// table or query.
bool isStatement(const std::string& source) {
    if (!source.empty() && source.front() == '(') return true;
    std::string word;
    for (char c : source) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '(' || c == ';') break;
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    static const std::set<std::string> keywords = {
        "SELECT", "WITH", "VALUES",   "TRANSFORM", "PARAMETERS", "INSERT",  "UPDATE", "DELETE", "REPLACE",
        "CREATE", "DROP", "ALTER",    "PRAGMA",    "EXPLAIN",    "ANALYZE", "ATTACH", "DETACH", "BEGIN",
        "COMMIT", "END",  "ROLLBACK", "SAVEPOINT", "RELEASE",    "VACUUM",  "REINDEX"};
    return keywords.count(word) > 0;
}

std::string unbracket(const std::string& name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
    return name;
}

struct BackupFinisher {
    void operator()(sqlite3_backup* b) const noexcept { sqlite3_backup_finish(b); }
};

DbError damaged(const std::string& path) {
    return DbError(jet::kCannotOpen,
                   "Database '" + path +
                       "' is beschadigd en kan niet worden gebruikt. Herstel het bestand of "
                       "gebruik een reservekopie.",
                   jet::kSourceWorkspace);
}

// The quick check of a copy the Access reader wrote: a copy it left half
// written is no database. (The reader's own output needs no index check.)
void requireSoundCopy(sqlite3* db, const std::string& path) {
    auto st = sqlite::prepare(db, "PRAGMA main.quick_check(1)");
    if (!sqlite::step(db, st.get()) || sqlite::columnText(st.get(), 0) != "ok") throw damaged(path);
}

// The state of a SQLite file as its readers see it: the file and, in WAL
// mode, the log beside it.
std::optional<std::string> databaseStamp(const std::string& path) {
    auto stamp = os::fileStamp(path);
    if (!stamp) return std::nullopt;
    if (const auto wal = os::fileStamp(path + "-wal")) *stamp += "+" + *wal;
    return stamp;
}

// A connection to an asset database: no value or row it reads may be larger
// than the program's limit.
sqlite::Connection openLimited(const std::string& path, int flags) {
    sqlite::Connection db = sqlite::open(path, flags);
    sqlite3_limit(db.get(), SQLITE_LIMIT_LENGTH, sqlite::kMaxValueBytes);
    return db;
}

// How often the progress handler runs, in engine instructions: rarely
// enough to cost nothing measurable, often enough to stop within a moment.
constexpr int kInstructionsPerCall = 10000;

// How long awaitSound waits for the check between looks at the program.
constexpr std::chrono::milliseconds kCheckWaitSlice{50};

// Changes whenever another connection or program commits to the file; this
// connection's own commits leave it as it is.
std::int64_t dataVersion(sqlite3* db) {
    auto st = sqlite::prepare(db, "PRAGMA data_version");
    return sqlite::step(db, st.get()) ? sqlite3_column_int64(st.get(), 0) : -1;
}

// The copies live in the temporary folder: a failure there names it, as
// that is what the user can clear or point elsewhere.
std::string inTemporaryFolder() {
    return "Kopie van de database niet te maken in de tijdelijke map '" + os::temporaryFolder().string() + "'";
}

access::ScratchFolder scratchFolder() {
    try {
        return access::ScratchFolder();
    } catch (const std::runtime_error& e) {
        throw DbError(jet::kDiskError, inTemporaryFolder() + ": " + e.what(), jet::kSourceWorkspace);
    }
}

}  // namespace

// Stops a statement that has run past its budget, or whose work was told
// to stop. A C callback: nothing may be thrown through SQLite.
struct SqliteConnection::Watch {
    std::function<std::optional<std::string>()> stopReason;
    std::uint64_t budgetCalls = 0;  // calls one step may take
    std::uint64_t seenSteps = 0;
    std::uint64_t callsSinceStep = 0;

    static int onProgress(void* self) noexcept {
        Watch& w = *static_cast<Watch*>(self);
        try {
            // A new step started since the last call: its budget starts afresh.
            if (const std::uint64_t steps = sqlite::stepsTaken(); steps != w.seenSteps) {
                w.seenSteps = steps;
                w.callsSinceStep = 0;
            }
            if (++w.callsSinceStep > w.budgetCalls) {
                jet::noteInterruption(jet::queryBudgetExceeded());
                return 1;
            }
            if (w.stopReason) {
                if (const auto why = w.stopReason()) {
                    jet::noteInterruption(jet::cancelled(*why));
                    return 1;
                }
            }
            return 0;
        } catch (const std::exception&) {
            return 1;  // no memory left to note why: stopped all the same
        }
    }
};

SqliteConnection::SqliteConnection(std::string path, sqlite::Connection db, Storage storage, const LongWork& work)
    : path_(std::move(path)), db_(std::move(db)), storage_(storage), work_(work), watch_(std::make_unique<Watch>()) {
    std::int64_t pages = 0;
    {
        auto st = sqlite::prepare(db_.get(), "PRAGMA main.page_count");
        if (sqlite::step(db_.get(), st.get())) pages = sqlite3_column_int64(st.get(), 0);
    }
    watch_->stopReason = work_.stopReason;
    watch_->budgetCalls = sqlite::stepBudget(pages) / kInstructionsPerCall;
    sqlite3_progress_handler(db_.get(), kInstructionsPerCall, &Watch::onProgress, watch_.get());
}

SqliteConnection::~SqliteConnection() {
    if (db_) closeAndRemember();
}

void SqliteConnection::closeAndRemember() {
    // A check that passed meanwhile still counts; one that runs is stopped.
    if (!sound_ && check_ && check_->outcome() == IntegrityCheck::Outcome::Sound) passed();
    check_.reset();
    // What this connection wrote, SQLite wrote: the file it leaves is as
    // sound as the one it found, though its stamp changed. Not so when
    // anyone else wrote to it meanwhile.
    bool onlyOurs = false;
    if (sound_ && storage_ == Storage::File && checked_.remember) {
        try {
            onlyOurs = dataVersion(db_.get()) == dataVersionAtOpen_;
        } catch (const sqlite::Failure&) {
        }
    }
    alive_.reset();
    db_.reset();
    if (!onlyOurs) return;
    try {
        if (const auto stamp = databaseStamp(path_)) checked_.remember(path_, *stamp);
    } catch (const std::exception&) {
        // A setting that cannot be stored costs the next open a check.
    }
}

void SqliteConnection::passed() {
    sound_ = true;
    check_.reset();
    // Nothing of this program wrote to the file before it passed: a state
    // that changed meanwhile is someone else's, and not the one checked.
    try {
        if (stampAtOpen_ && checked_.remember && databaseStamp(path_) == stampAtOpen_)
            checked_.remember(path_, *stampAtOpen_);
    } catch (const std::exception&) {
        // As at the close: the next open checks again.
    }
}

void SqliteConnection::settleCheck() {
    switch (check_->outcome()) {
    case IntegrityCheck::Outcome::Running: return;
    case IntegrityCheck::Outcome::Sound: passed(); return;
    case IntegrityCheck::Outcome::Damaged: throw damaged(path_);
    case IntegrityCheck::Outcome::Failed:
        if (const auto f = check_->failure()) throw jet::fromSqlite(*f, {jet::kSourceDatabase, path_, ""});
        throw damaged(path_);
    }
}

void SqliteConnection::awaitSound() {
    requireOpen();
    while (!sound_) {
        if (check_->waitFor(kCheckWaitSlice) != IntegrityCheck::Outcome::Running) {
            settleCheck();
            return;
        }
        if (work_.stopReason) {
            if (const auto why = work_.stopReason()) throw jet::cancelled(*why);
        }
        if (work_.letEventsRun) work_.letEventsRun();
    }
}

void SqliteConnection::refuseKnownDamage() {
    requireOpen();
    if (!sound_) settleCheck();
}

std::unique_ptr<SqliteConnection> SqliteConnection::open(const std::string& path, const OpenOptions& options,
                                                         const AccessImporter& importer) {
    const Connect connect = parseConnect(options.connect);
    if (!connect.type.empty()) throw jet::isamNotFound();
    checkPath(path);
    switch (kindOfFile(path)) {
    case FileKind::Sqlite: return openSqlite(path, options);
    case FileKind::Access: return openAccess(path, connect.password, importer, options.work);
    default: throw jet::unrecognisedFormat(path);
    }
}

std::unique_ptr<SqliteConnection> SqliteConnection::openSqlite(const std::string& path, const OpenOptions& options) {
    const jet::Context ctx{jet::kSourceWorkspace, path, ""};
    // SQLite writes a journal beside the file, so the folder must be writable too.
    const bool writable = !options.readOnly && os::mayWrite(path) && os::mayWrite(directoryOf(path));
    try {
        sqlite::Connection db = openLimited(path, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
        if (options.exclusive) sqlite::exec(db.get(), "PRAGMA locking_mode=EXCLUSIVE");
        // The first read of the schema tells whether this is a database at all.
        bool stats = false;
        {
            auto st = sqlite::prepare(db.get(), "SELECT type, name FROM main.sqlite_master");
            while (sqlite::step(db.get(), st.get()))
                if (sqlite::columnText(st.get(), 1) == "sqlite_stat1") stats = true;
        }
        // Three exports of one month's file cost one check.
        const auto stamp = databaseStamp(path);
        const bool checkedBefore = stamp && options.checked.recall && options.checked.recall(path) == stamp;
        Storage storage = writable ? Storage::File : Storage::ReadOnlyFile;
        if (!writable && !stats) {
            db = copyToDisk(db.get());
            storage = Storage::Copy;
        }
        registerJetFunctions(db.get());
        auto out = std::unique_ptr<SqliteConnection>(new SqliteConnection(path, std::move(db), storage, options.work));
        out->stampAtOpen_ = stamp;
        out->checked_ = options.checked;
        out->dataVersionAtOpen_ = dataVersion(out->db_.get());
        out->sound_ = checkedBefore;
        if (!checkedBefore) out->check_ = std::make_unique<IntegrityCheck>(path);
        return out;
    } catch (const sqlite::Failure& f) {
        // The file exists (checkPath saw it): what SQLite cannot open beside
        // it, a journal or a WAL index, is a matter of permissions.
        if (f.code() == SQLITE_CANTOPEN) throw jet::noPermission(path);
        throw jet::fromSqlite(f, ctx);
    }
}

std::unique_ptr<SqliteConnection> SqliteConnection::openAccess(const std::string& path, const std::string& password,
                                                               const AccessImporter& importer, const LongWork& work) {
    if (!importer) throw jet::unrecognisedFormat(path);
    const access::ScratchFolder folder = scratchFolder();
    const std::string copy = folder.copyPath();
    const AccessImportResult result = importer(path, password, copy);
    if (result.errorNumber == jet::kDiskError)
        throw DbError(result.errorNumber, inTemporaryFolder() + ": " + result.description, jet::kSourceWorkspace);
    if (result.errorNumber != 0) throw DbError(result.errorNumber, result.description, jet::kSourceWorkspace);
    try {
        sqlite::Connection db = openLimited(copy, SQLITE_OPEN_READONLY);
        requireSoundCopy(db.get(), path);
        registerJetFunctions(db.get());
        auto out = std::unique_ptr<SqliteConnection>(new SqliteConnection(path, std::move(db), Storage::Copy, work));
        out->sound_ = true;
        out->notes_ = result.notes;
        return out;  // the folder and the copy's name go now; the open connection keeps its pages
    } catch (const sqlite::Failure& f) {
        throw jet::fromSqlite(f, {jet::kSourceWorkspace, path, ""});
    }
}

SqliteConnection::ReadTransaction::ReadTransaction(SqliteConnection& c) {
    sqlite3* db = c.connection();
    if (!db || !sqlite3_get_autocommit(db)) return;
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) db_ = db;
}

SqliteConnection::ReadTransaction::~ReadTransaction() {
    if (!db_ || sqlite3_get_autocommit(db_)) return;
    // Only reads ran: ending the transaction only lets go of the lock.
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

sqlite::Connection SqliteConnection::copyToDisk(sqlite3* source) {
    const access::ScratchFolder folder = scratchFolder();
    const std::string copy = folder.copyPath();
    try {
        {
            sqlite::Connection out = sqlite::open(copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            std::unique_ptr<sqlite3_backup, BackupFinisher> backup(
                sqlite3_backup_init(out.get(), "main", source, "main"));
            if (!backup) sqlite::check(out.get(), sqlite3_errcode(out.get()));
            const int rc = sqlite3_backup_step(backup.get(), -1);
            if (rc != SQLITE_DONE) throw sqlite::Failure(rc, sqlite3_errmsg(source));
            sqlite3_backup* raw = backup.release();
            sqlite::check(out.get(), sqlite3_backup_finish(raw));
            // The copy is the session's own: statistics cost the user's file nothing.
            sqlite::exec(out.get(), "ANALYZE");
        }
        return openLimited(copy, SQLITE_OPEN_READONLY);
    } catch (const sqlite::Failure& f) {
        // Damage the copy carried along is the file's; everything else is
        // the temporary folder's.
        if (f.code() == SQLITE_CORRUPT || f.code() == SQLITE_NOTADB || f.code() == SQLITE_BUSY ||
            f.code() == SQLITE_LOCKED)
            throw;
        const std::string reason = sqlite::diskReason(f.code()).value_or(f.message());
        throw DbError(jet::kDiskError, inTemporaryFolder() + ": " + reason, jet::kSourceWorkspace);
    }
}

void SqliteConnection::requireOpen() const {
    if (!db_) throw jet::objectInvalid(jet::kSourceDatabase);
}

std::optional<SqliteConnection::Found> SqliteConnection::find(const std::string& name, bool anyKind) {
    const std::string kinds = anyKind ? "" : " AND type IN ('table','view')";
    const std::string sql = "SELECT 'temp', type, name FROM temp.sqlite_master WHERE name = ?1 COLLATE NOCASE" + kinds +
                            " UNION ALL SELECT 'main', type, name FROM main.sqlite_master WHERE name = ?1 COLLATE "
                            "NOCASE" +
                            kinds;
    auto st = sqlite::prepare(db_.get(), sql);
    sqlite3_bind_text(st.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (sqlite::step(db_.get(), st.get())) {
        Found f{sqlite::columnText(st.get(), 0), sqlite::columnText(st.get(), 1), sqlite::columnText(st.get(), 2)};
        if (f.schema == "main" && f.type == "view" && hidden_.count(upperCase(f.name))) continue;
        return f;
    }
    return std::nullopt;
}

std::unique_ptr<Recordset> SqliteConnection::dynaset(const std::string& sql) {
    std::string_view tail;
    auto st = sqlite::prepare(db_.get(), sql, &tail);
    if (!trim(std::string(tail)).empty() || !sqlite3_stmt_readonly(st.get()) || sqlite3_column_count(st.get()) == 0)
        throw jet::invalidOperation(jet::kSourceDatabase);
    return std::make_unique<DynasetRecordset>(db_.get(), alive_, std::move(st));
}

std::unique_ptr<Recordset> SqliteConnection::table(const std::string& schema, const std::string& name) {
    if (auto rs = TableRecordset::open(db_.get(), alive_, schema, name)) return rs;
    auto st = sqlite::prepare(db_.get(),
                              "SELECT * FROM " + sqlite::quoteIdentifier(schema) + "." + sqlite::quoteIdentifier(name));
    RowStore rows = RowStore::read(db_.get(), st.get());
    st.reset();
    auto indexes = readIndexes(db_.get(), schema, name, rows.columns());
    return std::make_unique<MaterializedRecordset>(std::move(rows), std::move(indexes));
}

std::unique_ptr<Recordset> SqliteConnection::OpenRecordset(const std::string& source, int type) {
    requireOpen();
    const std::string text = trim(source);
    jet::Context ctx{jet::kSourceDatabase, path_, ""};
    try {
        if (type == dbOpenTable || !isStatement(text)) {
            const std::string name = unbracket(text);
            ctx.object = name;
            const auto found = find(name);
            if (!found) throw jet::objectNotFound(name);
            if (type == dbOpenTable && found->type != "table") throw jet::invalidOperation(jet::kSourceDatabase);
            if (type == dbOpenTable) return table(found->schema, found->name);
            return dynaset("SELECT * FROM " + sqlite::quoteIdentifier(found->schema) + "." +
                           sqlite::quoteIdentifier(found->name));
        }
        return dynaset(withoutTerminator(text));
    } catch (const sqlite::Failure& f) {
        // A read writes only SQLite's temporary files: full is their folder.
        if (f.code() == SQLITE_FULL) throw jet::noTemporarySpace(jet::kSourceDatabase);
        throw jet::fromSqlite(f, ctx);
    }
}

bool SqliteConnection::QueryDefExists(const std::string& name) {
    requireOpen();
    try {
        const auto f = find(name);
        return f && f->type == "view";
    } catch (const sqlite::Failure& f) {
        throw jet::fromSqlite(f, {jet::kSourceQueryDefs, path_, name});
    }
}

std::string SqliteConnection::viewSql(const std::string& name, const std::string& sqlText) const {
    return std::string("CREATE ") + (sessionViews() ? "TEMP " : "") + "VIEW " + sqlite::quoteIdentifier(name) + " AS " +
           withoutTerminator(sqlText);
}

bool SqliteConnection::holdsQuery(const std::string& name, const std::string& sqlText) {
    requireOpen();
    try {
        const auto f = find(name);
        if (!f || f->type != "view" || (sessionViews() && f->schema == "main")) return false;
        auto st = sqlite::prepare(db_.get(), "SELECT sql FROM " + sqlite::quoteIdentifier(f->schema) +
                                                 ".sqlite_master WHERE type = 'view' AND name = ?1");
        sqlite3_bind_text(st.get(), 1, f->name.c_str(), static_cast<int>(f->name.size()), SQLITE_TRANSIENT);
        return sqlite::step(db_.get(), st.get()) && sqlite::columnText(st.get(), 0) == viewSql(name, sqlText);
    } catch (const sqlite::Failure& f) {
        throw jet::fromSqlite(f, {jet::kSourceQueryDefs, path_, name});
    }
}

void SqliteConnection::CreateQueryDef(const std::string& name, const std::string& sqlText) {
    requireOpen();
    const jet::Context ctx{jet::kSourceDatabase, path_, name};
    try {
        if (find(name, true)) throw jet::objectExists(name);
        if (storage_ == Storage::File) awaitSound();
        // Exactly one statement: a second one after a ";" would run too.
        const std::string create = viewSql(name, sqlText);
        std::string_view tail;
        auto st = sqlite::prepare(db_.get(), create, &tail);
        if (!trim(std::string(tail)).empty())
            throw DbError(3142, "Er zijn tekens gevonden na het einde van de SQL-instructie.", jet::kSourceDatabase);
        sqlite::step(db_.get(), st.get());
    } catch (const sqlite::Failure& f) {
        throw jet::fromSqlite(f, ctx);
    }
    if (storage_ == Storage::File) ensureStatistics();
}

void SqliteConnection::DeleteQueryDef(const std::string& name) {
    requireOpen();
    try {
        const auto f = find(name);
        if (!f || f->type != "view") throw jet::itemNotFound(jet::kSourceQueryDefs);
        if (sessionViews() && f->schema == "main") {
            hidden_.insert(upperCase(f->name));
            return;
        }
        if (f->schema == "main") awaitSound();
        sqlite::exec(db_.get(),
                     "DROP VIEW " + sqlite::quoteIdentifier(f->schema) + "." + sqlite::quoteIdentifier(f->name));
    } catch (const sqlite::Failure& f) {
        throw jet::fromSqlite(f, {jet::kSourceQueryDefs, path_, name});
    }
}

bool SqliteConnection::hasStatistics() {
    requireOpen();
    auto st = sqlite::prepare(db_.get(), "SELECT 1 FROM main.sqlite_master WHERE name = 'sqlite_stat1'");
    return sqlite::step(db_.get(), st.get());
}

void SqliteConnection::ensureStatistics() {
    try {
        if (!hasStatistics()) sqlite::exec(db_.get(), "ANALYZE");
    } catch (const sqlite::Failure&) {
        // Statistics only speed the queries up; a locked or full file keeps
        // working without them.
    }
}

void SqliteConnection::Close() {
    requireOpen();
    closeAndRemember();
}

}  // namespace zelk
