#pragma once
// The SQLite side of the copy: a new database file, written in one
// transaction with the journal off (the file is new; a failed copy is
// deleted as a whole, never repaired).

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/access/access_reader.h"

namespace zelk::access {

// A failure that ends the copy, with the Jet error number to report.
struct CopyError : std::runtime_error {
    CopyError(long n, const std::string& text) : std::runtime_error(text), number(n) {}
    long number;
};

class SqliteWriter {
public:
    explicit SqliteWriter(const std::string& path);  // throws CopyError

    // Called now and then while SQLite works (index builds, ANALYZE), so a
    // long statement counts as progress.
    void onProgress(std::function<void()> alive);

    void exec(const std::string& sql);  // throws CopyError
    bool tryExec(const std::string& sql, std::string& error);
    // True when SQLite can prepare a statement over the view.
    bool viewWorks(const std::string& name, std::string& error);

    // Inserts rows into one table with a prepared statement.
    class Inserter {
    public:
        Inserter(SqliteWriter& db, const std::string& table, std::size_t columns);  // throws CopyError
        void insert(const std::vector<FieldValue>& values);                         // throws CopyError

    private:
        SqliteWriter& db_;
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt_;
    };

private:
    [[noreturn]] void fail(int rc);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
    std::function<void()> alive_;
};

// The declared SQLite type of a column of the given Access kind.
std::string declaredType(ColumnType kind);

}  // namespace zelk::access
