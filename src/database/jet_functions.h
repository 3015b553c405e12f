#pragma once
// SQL functions of Jet that the program's SQL texts use and SQLite lacks.

#include <sqlite3.h>

namespace zelk {

// Registers the aggregates First and Last: the value of the first (last) row
// of the group, Null included. Throws sqlite::Failure.
void registerJetFunctions(sqlite3* db);

}  // namespace zelk
