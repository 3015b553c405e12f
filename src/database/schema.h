#pragma once
// The asset tables in their SQLite form (database/schema.sql, compiled in).

#include <sqlite3.h>

#include <string>

namespace zelk {

// The CREATE statements of every asset table and index.
const std::string& assetSchemaSql();

// Creates the asset tables in an empty database. Throws sqlite::Failure.
void createAssetSchema(sqlite3* db);

}  // namespace zelk
