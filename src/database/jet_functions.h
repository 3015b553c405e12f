#pragma once
// SQL functions of Jet that the program's SQL texts use and SQLite lacks.

#include <sqlite3.h>

namespace zelk {

// Registers the aggregates First and Last: the value of the first (last) row
// of the group, Null included; and Sum as Jet sums, in place of SQLite's:
// Null is passed over, a value that is no number (a text that holds none, a
// blob) is a type mismatch (SQLITE_MISMATCH, error 13) where SQLite would
// count it as 0, and whole numbers beyond 64 bits overflow ("integer
// overflow", error 6). Throws sqlite::Failure.
void registerJetFunctions(sqlite3* db);

}  // namespace zelk
