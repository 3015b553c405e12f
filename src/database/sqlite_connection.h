#pragma once
// An open asset database: a SQLite connection with the operations of the
// engine's database object (recordsets, stored queries, close).
//
// Three ways a database is held:
//  - a writable SQLite file: queries are views in the file;
//  - a SQLite file that may not or cannot be written: read through a
//    read-only connection, stored queries are temporary views of the session
//    (or, when the file has no planner statistics, the file is copied into a
//    temporary file and analysed there);
//  - an Access file: copied by the importer into a temporary SQLite file; the
//    Access file is never written and stored queries are temporary views.
//
// A temporary copy costs disk, not memory. Its name is removed as soon as it
// is open, so nothing of it outlives the connection, however the program ends.

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "database/access_importer.h"
#include "database/integrity_check.h"
#include "database/recordset.h"
#include "database/sqlite_handle.h"

namespace zelk {

// The states of database files that passed the integrity check, kept beyond
// the session: a file is checked again only once it has changed.
struct CheckedFiles {
    // The state remembered for a file, if any.
    std::function<std::optional<std::string>(const std::string& path)> recall;
    std::function<void(const std::string& path, const std::string& stamp)> remember;
};

// What long work on a connection (a query, the wait for the integrity
// check) asks of the program while it runs.
struct LongWork {
    // Why the work must stop now, if it must: it ends with error 3059 and
    // that text (the desktop's Stoppen button, the autorun's time limit).
    std::function<std::optional<std::string>()> stopReason;
    // Lets the program's events run while it waits.
    std::function<void()> letEventsRun;
};

struct OpenOptions {
    bool exclusive = false;  // hold the file's lock for the whole session
    bool readOnly = false;   // never write the file
    // Connect string: "[type];pwd=password". A non-empty type names an
    // installable driver, which this engine does not have (error 3170).
    std::string connect;
    CheckedFiles checked;  // unset: every open checks the file
    LongWork work;
};

class SqliteConnection {
public:
    // Opens `path`. Throws DbError: 3024, 3044, 3055, 3051 for the path, 3343
    // for a file that is no database this engine reads, 3049 for one damaged
    // beyond reading its schema, 3261 when it is locked, 3043 for an I/O
    // error, 3170 for a connect-string type; the importer's errors (3031...)
    // for Access files. A SQLite file's integrity check starts now and runs
    // beside the session's work (awaitSound), unless this state of the file
    // passed it before.
    static std::unique_ptr<SqliteConnection> open(const std::string& path, const OpenOptions& options,
                                                  const AccessImporter& importer = {});
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // A table (dbOpenTable) or a table, stored query or select text
    // (dbOpenDynaset). Throws DbError (3078 no such table or query, 3219 for a
    // text that is not a select, 3261 locked, 3043 I/O...).
    std::unique_ptr<Recordset> OpenRecordset(const std::string& source, int type);
    // Stores a select as a query: 3012 when an object of that name exists.
    // A write to the file waits for its integrity check (awaitSound).
    void CreateQueryDef(const std::string& name, const std::string& sqlText);
    // True when the query of that name is exactly what CreateQueryDef would
    // store for `sqlText`: storing it again would change nothing.
    bool holdsQuery(const std::string& name, const std::string& sqlText);
    // Deletes a stored query: 3265 when there is none of that name.
    void DeleteQueryDef(const std::string& name);
    bool QueryDefExists(const std::string& name);
    // Closing a closed database is error 3420, as every other operation on it.
    void Close();

    // Waits, letting events run, until the file passed its integrity check:
    // DbError 3049 when the check found damage, the check's own failure
    // (3261 locked, 3043...) when it could not finish, 3059 when the work
    // is told to stop meanwhile. Every write to the file waits for this; a
    // workbook is kept only after it.
    void awaitSound();
    // As awaitSound when the check already ended; never waits.
    void refuseKnownDamage();

    bool isOpen() const { return static_cast<bool>(db_); }
    const std::string& Name() const { return path_; }
    // True when the file itself is never written; stored queries then last
    // for the session only.
    bool fileIsReadOnly() const { return storage_ != Storage::File; }
    // True when the session reads a temporary copy of the file.
    bool isCopy() const { return storage_ == Storage::Copy; }
    // Message lines the opening left for the user (from the importer).
    const std::vector<std::string>& notes() const { return notes_; }
    // True when the planner has statistics (sqlite_stat1) for this connection.
    bool hasStatistics();
    // The connection, for tools and tests; null once closed.
    sqlite3* connection() { return db_.get(); }

    // While one lives, every read sees one state of the file, and the file's
    // lock is taken once instead of once per statement. Nothing when the
    // connection is closed or already in a transaction.
    class ReadTransaction {
    public:
        explicit ReadTransaction(SqliteConnection& c);
        ~ReadTransaction();
        ReadTransaction(const ReadTransaction&) = delete;
        ReadTransaction& operator=(const ReadTransaction&) = delete;

    private:
        sqlite3* db_ = nullptr;  // set when this began the transaction
    };

private:
    enum class Storage { File, ReadOnlyFile, Copy };
    struct Watch;
    struct Found {
        std::string schema, type, name;
    };

    SqliteConnection(std::string path, sqlite::Connection db, Storage storage, const LongWork& work);
    void closeAndRemember();
    // Takes the outcome of the check that ended: sound, or the error.
    void settleCheck();
    // The file passed: its state at the open is remembered, if it is still the same.
    void passed();
    static std::unique_ptr<SqliteConnection> openSqlite(const std::string& path, const OpenOptions& options);
    static std::unique_ptr<SqliteConnection> openAccess(const std::string& path, const std::string& password,
                                                        const AccessImporter& importer, const LongWork& work);
    // A read-only connection to a copy of the whole database with planner
    // statistics, in a temporary file that has no name any more.
    static sqlite::Connection copyToDisk(sqlite3* source);

    void requireOpen() const;
    // The table or view (or, with anyKind, any schema object) of that name,
    // temporary objects first, as SQLite resolves names.
    std::optional<Found> find(const std::string& name, bool anyKind = false);
    // Stored queries of the session only, as temporary views.
    bool sessionViews() const { return storage_ != Storage::File; }
    // The statement that stores a query.
    std::string viewSql(const std::string& name, const std::string& sqlText) const;
    // A dynaset over a select, stepped as it is read.
    std::unique_ptr<Recordset> dynaset(const std::string& sql);
    // A table recordset: served by statements over the table's indexes, or,
    // where those do not order text as Jet does, read whole.
    std::unique_ptr<Recordset> table(const std::string& schema, const std::string& name);
    // Gives a writable file the statistics it lacks; its file is being
    // written by the caller anyway.
    void ensureStatistics();

    std::string path_;
    sqlite::Connection db_;
    Storage storage_;
    LongWork work_;
    std::unique_ptr<Watch> watch_;  // the progress handler's own state
    std::vector<std::string> notes_;
    // The file's integrity check while it runs, or once it failed; sound_
    // once it passed (or this state of the file passed it before).
    std::unique_ptr<IntegrityCheck> check_;
    bool sound_ = false;
    // The file's state at the open, remembered once the check passed, and
    // the state the connection leaves, when it was sound and only this
    // connection wrote to it (the data version it found at the open).
    std::optional<std::string> stampAtOpen_;
    CheckedFiles checked_;
    std::int64_t dataVersionAtOpen_ = -1;
    // Stored queries of a read-only file that the session deleted; the
    // temporary view of the same name stands in for them.
    std::set<std::string> hidden_;
    // Recordsets hold statements of the connection: they check this before
    // every use, so none outlives the database unnoticed.
    std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
};

}  // namespace zelk
