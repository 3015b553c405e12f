#pragma once
// The indexes of a table as the schema defines them, and the order they give
// the table's rows: text without regard to case (as NOCASE compares, and as
// Jet's indexes do), NULL lowest, descending columns reversed. A recordset
// sorts its rows by such an index and seeks in them by binary search.

#include <sqlite3.h>

#include <string>
#include <vector>

#include "database/row_store.h"

namespace zelk {

struct IndexColumn {
    std::size_t column = 0;  // position in the table's rows
    bool descending = false;
    std::string collation = "BINARY";  // the index's, for comparisons that use it
};

struct IndexDefinition {
    std::string name;
    std::vector<IndexColumn> columns;
    // The name without "<table>_" in front: an index copied from an Access
    // file carries its table's name when its own was taken by another table.
    std::string jetName;
    // SQLite's name of the index; "" when the key is the rowid itself.
    std::string sqliteName;
};

// The indexes of `table` in `schema` ("main" or "temp") whose keys are plain
// columns, and the primary key under the name "PrimaryKey" (Jet's name for it).
// `columns` are the table's rows' columns, to find each key column's position.
std::vector<IndexDefinition> readIndexes(sqlite3* db, const std::string& schema, const std::string& table,
                                         const std::vector<ResultColumn>& columns);

// The index a recordset's Index property names: by its own name, else by its
// name without "<table>_" (an index copied from an Access file carries its
// table's name in front when its own name was taken by another table,
// "Historie_OgCodRev"); without regard to case. Null when there is none.
const IndexDefinition* findIndex(const std::vector<IndexDefinition>& indexes, const std::string& name);

// The indexes of table `table` in the main schema, as a table recordset
// over it reads them. Throws sqlite::Failure (no such table...).
std::vector<IndexDefinition> tableIndexes(sqlite3* db, const std::string& table);

// A value to compare in index order: dates as day serials, everything else as
// stored. Built from the stored value of a row or from a seek key.
// Kept small: a table sorted by an index holds one per row and key column.
struct SortValue {
    const char* text = nullptr;  // Text and Blob
    std::uint32_t length = 0;
    StoredValue::Class cls = StoredValue::Null;
    union {
        std::int64_t i;
        double r;
    };
    SortValue() : i(0) {}
    std::string_view view() const { return {text, length}; }
};

// <0, 0, >0 in ascending index order.
int compareSortValues(const SortValue& a, const SortValue& b);

// The sort value of a stored value in a column of `kind`.
SortValue sortValueOf(FieldKind kind, const StoredValue& v);

// What a seek key is compared as in a column of `kind`.
struct SeekKey {
    enum Class { Null, Number, Date, Text } cls = Null;
    double number = 0;  // Number, and Date as a day serial
    std::string text;
};
SeekKey seekKeyOf(FieldKind kind, const Variant& key);

// The sort value of a seek key for a column of `kind`; `holder` keeps the text
// the result points to.
SortValue sortValueOfKey(FieldKind kind, const Variant& key, std::string& holder);

}  // namespace zelk
