#pragma once
// Before an export runs: does the database have the tables and columns the
// export reads? A database that is not an asset administration would
// otherwise only show a failed query; these lines name what is missing.

#include <string>
#include <vector>

#include "exports/exports.h"

struct sqlite3;

namespace zelk {

struct Session;

struct TableNeeds {
    const char* table;
    std::vector<const char*> columns;
    std::vector<const char*> indexes = {};  // sought in by name, as a table recordset's Index
};
using SchemaNeeds = std::vector<TableNeeds>;

// One line per missing table ("Tabel 'OG' ontbreekt in de database"), per
// missing column of a table that is there ("Kolom 'OB.PrjNr' ontbreekt") and
// per missing index ("Index 'Historie.OgCodRev' ontbreekt"). Names compare
// without regard to case, as the engine does.
std::vector<std::string> missingSchema(sqlite3* db, const SchemaNeeds& needs);

// The same for the open database in slot `db`; nothing when the slot holds
// no database.
std::vector<std::string> missingSchemaIn(Session& s, int db, const SchemaNeeds& needs);
// As missingSchemaIn, each line also written on the message screen.
std::vector<std::string> reportMissingSchema(Session& s, int db, const SchemaNeeds& needs);

// What an export of this kind reads.
const SchemaNeeds& exportNeeds(ExportKind kind);

}  // namespace zelk
