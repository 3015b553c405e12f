#include "database/schema.h"

#include "database/sqlite_handle.h"

namespace zelk {

void createAssetSchema(sqlite3* db) { sqlite::exec(db, assetSchemaSql()); }

}  // namespace zelk
