#pragma once
// The rows of a query result or a table, held in memory in a compact form
// (one small cell per value, texts in one arena), so that a recordset can move
// freely in both directions and sort its rows by an index without keeping a
// statement, and with it a read lock, open on the database.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "database/field_value.h"

namespace zelk {

struct ResultColumn {
    std::string name;        // as SQLite names it in the result
    std::string table;       // the table the value comes from, "" for an expression
    std::string originName;  // the column of that table, "" for an expression
    FieldKind kind = FieldKind::Untyped;
};

// The columns of a prepared statement's result, with their kinds.
std::vector<ResultColumn> resultColumns(sqlite3_stmt* stmt);

// The value of a column of the row a statement stands on; texts point into
// the statement and last until it steps again.
StoredValue storedAt(sqlite3_stmt* stmt, int col);

class RowStore {
public:
    // Steps `stmt` to its end, keeping every row. Throws sqlite::Failure.
    static RowStore read(sqlite3* db, sqlite3_stmt* stmt);

    const std::vector<ResultColumn>& columns() const { return columns_; }
    std::size_t rowCount() const { return columns_.empty() ? 0 : cells_.size() / columns_.size(); }
    StoredValue stored(std::size_t row, std::size_t col) const;
    Variant value(std::size_t row, std::size_t col) const { return fieldValue(columns_[col].kind, stored(row, col)); }

private:
    struct Cell {
        StoredValue::Class cls = StoredValue::Null;
        std::uint32_t length = 0;  // Text and Blob
        union {
            std::int64_t i;
            double r;
            std::uint64_t offset;  // into arena_
        };
        Cell() : i(0) {}
    };

    std::vector<ResultColumn> columns_;
    std::vector<Cell> cells_;  // row after row
    std::string arena_;
};

}  // namespace zelk
