#pragma once
// The engine's failures as the Jet error numbers the program branches on,
// with Dutch descriptions. SQLite's own conditions are mapped here, in one
// place, so that every caller sees the same number for the same condition.

#include <string>

#include "database/recordset.h"
#include "database/sqlite_handle.h"

namespace zelk::jet {

enum ErrorNumber : long {
    kReserved = 3000,
    kNoCurrentRecord = 3021,
    kFileNotFound = 3024,
    kReadOnly = 3027,
    kBadPassword = 3031,
    kResourcesExceeded = 3035,
    kDiskError = 3043,
    kInvalidPath = 3044,
    kCannotOpen = 3049,
    kNoPermission = 3051,
    kInvalidFileName = 3055,
    kCancelled = 3059,
    kTooFewParameters = 3061,
    kSyntax = 3075,
    kObjectNotFound = 3078,
    kAmbiguousField = 3079,
    kUndefinedFunction = 3085,
    kIsamNotFound = 3170,
    kNoTemporarySpace = 3183,
    kInvalidOperation = 3219,
    kNotSupported = 3251,
    kTableLocked = 3261,
    kItemNotFound = 3265,
    kObjectExists = 3012,
    kObjectInvalid = 3420,
    kUnrecognisedFormat = 3343,
    kNotAnIndex = 3800,
};

// Error sources, as the engine's objects name themselves.
inline const std::string kSourceWorkspace = "DAO.Workspace";
inline const std::string kSourceDatabase = "DAO.Database";
inline const std::string kSourceRecordset = "DAO.Recordset";
inline const std::string kSourceFields = "DAO.Fields";
inline const std::string kSourceQueryDefs = "DAO.QueryDefs";

DbError fileNotFound(const std::string& path);
DbError invalidPath(const std::string& path);
DbError invalidFileName(const std::string& path);
DbError noPermission(const std::string& path);
DbError unrecognisedFormat(const std::string& path);
DbError objectNotFound(const std::string& name, const std::string& source = kSourceDatabase);
DbError objectExists(const std::string& name);
DbError itemNotFound(const std::string& source);
DbError noCurrentRecord();
DbError objectInvalid(const std::string& source);
DbError notSupported(const std::string& source);
DbError invalidOperation(const std::string& source);
DbError notAnIndex(const std::string& indexName);
DbError isamNotFound();
// SQLite's temporary files (sorts, large results) do not fit the temporary
// folder; names the folder.
DbError noTemporarySpace(const std::string& source);

// Work that was told to stop (the Stoppen button, the autorun's time
// limit): 3059, with the reason the user reads.
DbError cancelled(const std::string& reason);
// A step of a query that ran past its budget of engine instructions: an
// endless or runaway query in the file, or damage that makes one.
DbError queryBudgetExceeded();
// The error an interrupted statement gives, noted by whoever interrupted it
// (SQLite's own result says only "interrupted"). For this thread's next
// fromSqlite of SQLITE_INTERRUPT.
void noteInterruption(DbError why);

// What the failing call was doing, for the description of the error.
struct Context {
    std::string source = kSourceDatabase;  // the error's source
    std::string file;                      // the database file, when opening
    std::string object;                    // the table, query or SQL text involved
};

// The Jet error for a failed SQLite call.
DbError fromSqlite(const sqlite::Failure& f, const Context& ctx);

// Runs `f` for a recordset that reads as it moves: a failure of SQLite on
// the way (a lock, an I/O error) reaches the caller with its Jet number.
template <typename F>
auto onRecordset(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const sqlite::Failure& e) {
        // A read only writes SQLite's temporary files: full is their folder,
        // not the database.
        if ((e.code() & 0xFF) == SQLITE_FULL) throw noTemporarySpace(kSourceRecordset);
        throw fromSqlite(e, {kSourceRecordset, "", ""});
    }
}

}  // namespace zelk::jet
