#include "exports/schema_check.h"

#include <sqlite3.h>

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "database/dbase.h"
#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "database/table_index.h"
#include "messages/alg.h"
#include "runtime/text.h"
#include "session/session.h"
#include "valuation/waardering.h"

namespace zelk {
namespace {

// What both asset exports read; each kind reads a few columns more.
const SchemaNeeds kAssetExports{
    {"Eigenaar", {"CODE", "NAAM"}},
    {"OG",
     {"OG_CODE", "OG_EIG", "OG_Naam", "OG_Adres", "OG_PC", "OG_Plaats", "OG_Regio", "OG_Huur", "OG_Gebruik", "OG_WVW",
      "OG_BedOpb", "OG_DatLstTax"}},
    {"Categori", {"CT_CODE", "CT_OMS", "CT_SOORT"}},
    {"IC", {"IC_CODE", "IC_CAT"}},
    {"IC_Waardering", {"IW_IcCode", "IW_Waardering", "IW_Afschr_Percentage"}},
    {"OB", {"OGCODE", "ICCODE", "VLGNUM", "NAAM", "PrjNr", "OB_Restwaarde"}},
    {"OB_Waardering",
     {"OW_OgCode", "OW_IcCode", "OW_Vlgnum", "OW_Waardering", "OW_AanschafDatum", "OW_AanschafWaarde",
      "OW_HuidigeWaarde", "OW_EindDatum"}},
    {"Historie", historyColumns(), {kHistoryIndex}},
    {"HI_Waardering", historyValuationColumns(), {kHistoryValuationIndex}},
    {"Waardering", {"WD_Waardering"}},
};

const SchemaNeeds kMappingExport{
    {"Eigenaar", {"CODE"}},
    {"OG", {"OG_CODE", "OG_EIG", "OG_Naam", "OG_Plaats", "OG_WVW", "OG_BedOpb"}},
    {"Categori", {"CT_CODE", "CT_SOORT", "CT_REKNUM"}},
    {"IC", {"IC_CODE", "IC_CAT", "Ic_Oms"}},
    {"IC_Waardering", {"IW_IcCode", "IW_Waardering", "IW_Afschr_Percentage"}},
    {"OB", {"OGCODE", "ICCODE", "VLGNUM", "OB_Restwaarde", "DatBoeAkt"}},
    {"OB_Waardering", {"OW_OgCode", "OW_IcCode", "OW_Vlgnum", "OW_Waardering", "OW_AanschafDatum", "OW_HuidigeWaarde"}},
};

SchemaNeeds withColumns(SchemaNeeds needs, const char* table, std::initializer_list<const char*> columns) {
    for (TableNeeds& t : needs)
        if (std::string_view(t.table) == table) t.columns.insert(t.columns.end(), columns);
    return needs;
}

const SchemaNeeds kMovableExport =
    withColumns(withColumns(kAssetExports, "OB", {"EdatCoHAf"}), "OB_Waardering", {"OW_CumAfschr"});
const SchemaNeeds kImmovableExport = withColumns(kAssetExports, "OB", {"OB_Levensduur"});

bool contains(const std::vector<std::string>& upperNames, const char* name) {
    return std::find(upperNames.begin(), upperNames.end(), upperCase(name)) != upperNames.end();
}

constexpr std::string_view kTablePrefix = "Tabel '";
constexpr std::string_view kTableSuffix = "' ontbreekt in de database";
constexpr std::string_view kColumnPrefix = "Kolom '";
constexpr std::string_view kColumnSuffix = "' ontbreekt";
constexpr std::string_view kIndexPrefix = "Index '";

}  // namespace

std::vector<std::string> missingSchema(sqlite3* db, const SchemaNeeds& needs) {
    std::vector<std::string> lines;
    for (const TableNeeds& t : needs) {
        const std::vector<std::string> columns = sqlite::columnNames(db, "", t.table);
        if (columns.empty()) {
            lines.push_back(std::string(kTablePrefix) + t.table + std::string(kTableSuffix));
            continue;
        }
        for (const char* c : t.columns)
            if (!contains(columns, c))
                lines.push_back(std::string(kColumnPrefix) + t.table + "." + c + std::string(kColumnSuffix));
        if (t.indexes.empty()) continue;
        const std::vector<IndexDefinition> indexes = tableIndexes(db, t.table);
        for (const char* i : t.indexes)
            if (!findIndex(indexes, i))
                lines.push_back(std::string(kIndexPrefix) + t.table + "." + i + std::string(kColumnSuffix));
    }
    return lines;
}

std::vector<std::string> missingSchemaIn(Session& s, int db, const SchemaNeeds& needs) {
    if (db < 1 || db > Dbase::kMaxDatabases || !s.dbase.DbOpen(db)) return {};
    SqliteConnection* database = s.dbase.DbObject(db);
    if (!database || !database->connection()) return {};
    try {
        return missingSchema(database->connection(), needs);
    } catch (const sqlite::Failure&) {
        // Not a missing table: the export's own query meets the same fault
        // and reports it.
        return {};
    }
}

std::vector<std::string> reportMissingSchema(Session& s, int db, const SchemaNeeds& needs) {
    std::vector<std::string> lines = missingSchemaIn(s, db, needs);
    for (const std::string& line : lines) s.alg.AddMelding(line, 0, false, kRed);
    return lines;
}

const SchemaNeeds& exportNeeds(ExportKind kind) {
    switch (kind) {
    case ExportKind::Roerend: return kMovableExport;
    case ExportKind::Onroerend: return kImmovableExport;
    case ExportKind::Mapping: break;
    }
    return kMappingExport;
}

}  // namespace zelk
