// The two asset exports: one row per asset with the figures a fixed-asset
// ledger loads, as of a processing date the user types. The immovable run is
// the movable one with a handful of differences, collected in AssetKind.

#include <array>
#include <cmath>

#include "database/dbase.h"
#include "exports/code_texts.h"
#include "exports/export_run.h"
#include "exports/export_sql.h"
#include "exports/exports.h"
#include "messages/alg_func.h"
#include "messages/datum_routines.h"
#include "runtime/dates.h"
#include "session/session.h"
#include "spreadsheet/variant_array.h"
#include "valuation/waardering.h"

namespace zelk {
namespace {

struct AssetKind {
    const char* startLine;
    const char* queryName;
    const char* functionName;
    const char* valuationCode;  // whose cumulative depreciation C(P), C(J), C(M) are
    const char* sheetKind;      // C1
    const char* headerCode;     // E1
    bool immovable;
    std::string (*sql)();
};

const AssetKind kMovable{"Export1a wordt opgestart", "Export1a", "Aanmaken overzicht 1a", "COM", "(Roerend)", "COM",
                         false, movableAssetsSql};
const AssetKind kImmovable{"Export1b wordt opgestart", "Export1b", "Aanmaken overzicht 1b", "IFR", "(Onroerend)",
                           "COM/IFR", true, immovableAssetsSql};

constexpr int kColumns = 60;

// Row-4 headers by column number; columns without a header stay empty.
const std::array<std::pair<int, const char*>, 33> kHeaders{{
    {1, "Description"},
    {3, "QEV FM Minor Category"},
    {5, "Cost"},
    {6, "Plaats"},
    {8, "Kostenplaats"},
    {9, "Kostensoort"},
    {15, "Date Placed In Service"},
    {16, "Asset Number"},
    {17, "Tag Number"},
    {18, "Serial Number"},
    {19, "Manufacturer Name"},
    {20, "Model Number"},
    {24, "Depreciation Reserve"},
    {25, "YTD Depreciation"},
    {28, "Life in Months"},
    {31, "Depreciation Limit Amount"},
    {32, "Salvage Type"},
    {33, "Salvage Value"},
    {34, "Depreciate"},
    {35, "Laatste Taxatiedatum"},
    {41, "Assetnr"},
    {42, "Naam"},
    {43, "Adres"},
    {44, "PC"},
    {45, "Woonplaats"},
    {46, "Regio"},
    {47, "Huur/eigendom"},
    {48, "Gebruik"},
    {49, "Will. verkoopwaarde"},
    {52, "EdatCoHaf"},
    {53, "Levensduur in maanden"},
    {0, nullptr},
    {0, nullptr},
}};

VariantArray headerBlock(const AssetKind& kind, Date now) {
    VariantArray block = VariantArray(1, 5, 1, kColumns);
    block(1, 1) = Variant("(ZELK-Extract-1)");
    block(1, 3) = Variant(kind.sheetKind);
    block(1, 5) = Variant(kind.headerCode);
    block(1, 11) = Variant("Datum:");
    block(1, 12) = Variant(FormatDatum(Variant(now), "DD-MM-YYYY", ""));
    block(2, 11) = Variant("Tijd:");
    block(2, 12) = Variant(timeOfDay(now));
    for (const auto& [col, text] : kHeaders) {
        if (!text) continue;
        if (kind.immovable && (col == 52 || col == 53)) continue;
        block(4, col) = Variant(text);
    }
    return block;
}

// The skip test compares the purchase value with the current value plus
// 999999; an empty value makes the comparison untrue, so the record is skipped.
bool passesSkipTest(const Variant& aanschaf, const Variant& huidig) {
    if (aanschaf.isNull() || huidig.isNull()) return false;
    Variant limit;
    if (huidig.type() == VarType::Currency || huidig.isEmpty())
        limit = Variant(Currency{huidig.toCurrency().scaled + 999999LL * 10000});
    else
        limit = Variant(huidig.toDouble() + 999999.0);
    auto c = compareVariants(aanschaf, limit);
    return c && *c != 0;
}

bool isGreaterThanZero(const Variant& v) {
    auto c = compareVariants(v, Variant(0));
    return c && *c > 0;
}

// The end of an asset's depreciation: its end date, or purchase plus the
// months that the yearly percentage R gives; without a percentage, 1 January
// of the processing year.
Variant endDate(const Variant& r, const Variant& aanschaf, const Variant& eind, Date yearStart) {
    if (!isGreaterThanZero(r)) return Variant(yearStart);
    if (!eind.isNull() && !eind.isEmpty()) return eind;
    if (aanschaf.isNull()) return Variant::null();
    return Variant(addMonths(aanschaf.toDate(), 100.0 / r.toDouble() * 12.0));
}

Variant joined(std::initializer_list<Variant> parts) {
    std::string s;
    for (const Variant& p : parts) s += displayText(p);
    return Variant(s);
}

struct HistoryDates {
    Date P, J, M;
};

VariantArray assetRow(Session& s, const AssetKind& kind, const Recordset& rs, const HistoryDates& d, int rsH,
                      int rsHW) {
    const int db = s.main.dbMain;
    const Variant og = rs.Field("OGCODE");
    const Variant ic = rs.Field("ICCODE");
    const Variant vlg = rs.Field("VLGNUM");
    const std::int32_t vlgNr = vlg.toLong();
    auto cumAfschr = [&](Date peil) {
        const HistorieRec h = s.waardering.LeesHistorie(db, rsH, rsHW, og, ic, vlgNr, peil, false);
        return h.Waardering(s.waardering.WaarderingNr(Variant(kind.valuationCode))).CumAfschr;
    };
    const Currency cP = cumAfschr(d.P);
    const Currency cJ = cumAfschr(d.J);
    const Currency cM = cumAfschr(d.M);

    VariantArray row = VariantArray(1, kColumns);
    const Variant naam = rs.Field("OB.NAAM");
    if (naam.isString() && naam.str().find_first_not_of(' ') == std::string::npos)
        row(1) = Variant("Taxatie");
    else
        row(1) = naam;
    row(3) = rs.Field("CT_OMS");
    row(5) = rs.Field("OW_AanschafWaarde");
    row(6) = OwnerPlaceCode(rs.Field("Eigenaar.NAAM"));
    const Variant ogCode = rs.Field("Og_Code");
    row(8) = joined({Variant("B"), ogCode});
    row(9) = Variant(std::int32_t{813121});
    const Variant aanschafDatum = rs.Field("OW_AanschafDatum");
    row(15) = aanschafDatum;
    row(16) = joined({Variant("'"), rs.Field("PrjNr")});
    row(17) = Variant("");
    row(18) = joined({Variant("B"), ogCode});
    row(19) = Variant("");
    row(20) = rs.Field("OG_Naam");
    row(24) = kind.immovable ? Variant(cP) : rs.Field("OW_CumAfschr");
    row(25) = Variant(Currency{cP.scaled - cJ.scaled});

    Variant r = rs.Field("IW_Afschr_Percentage");
    if (kind.immovable) {
        const Variant levensduur = rs.Field("OB_Levensduur");
        if (isGreaterThanZero(levensduur)) r = Variant(100.0 / levensduur.toDouble());
    }
    const Variant e = endDate(r, aanschafDatum, rs.Field("OW_EindDatum"), d.J);
    row(28) = Maximum(MonthsBetween(aanschafDatum, e), Variant(0));
    const Currency limit{cP.scaled - cM.scaled};
    row(31) = Variant(limit);
    row(32) = Variant("Amount");
    row(33) = NotNull(rs.Field("OB_Restwaarde"), Variant(0));
    row(34) = Variant(limit.scaled == 0 ? "No" : "Yes");
    row(35) = rs.Field("OG_DatLstTax");
    row(41) = joined({og, Variant(" - "), ic, Variant(" - "), vlg});
    row(42) = rs.Field("OG_Naam");
    row(43) = rs.Field("OG_Adres");
    row(44) = rs.Field("OG_PC");
    row(45) = rs.Field("OG_Plaats");
    row(46) = rs.Field("OG_Regio");
    row(47) = OwnershipText(rs.Field("OG_Huur"));
    row(48) = UsageText(rs.Field("OG_Gebruik"));
    row(49) = rs.Field("OG_WVW");
    if (!kind.immovable) {
        const Variant edat = rs.Field("EdatCoHAf");
        if (!edat.isNull() && !edat.isEmpty() && edat.toDouble() != 0) {
            row(52) = edat;
            row(53) = Maximum(Variant(0), MonthsBetween(aanschafDatum, edat));
        }
    }
    return row;
}

void formatAssetSheet(ExportSheet& sheet) {
    sheet.bold("A1:BA4");
    sheet.numberFormat("L2", "h:mm:ss");
    sheet.columnWidth("A:AI", 0);
    sheet.autoFit("A:AI");
    sheet.autoFit("AO:BA");
    for (const char* col : {"E:E"}) sheet.numberFormat(col, "##0_-");
    sheet.numberFormat("O:O", "D-MMM-YYYY");
    for (const char* col : {"X:X", "Y:Y", "AG:AG", "AE:AE", "AW:AW"}) sheet.numberFormat(col, "##0_-");
    sheet.select("A1");
}

bool runAssetExport(Session& s, const AssetKind& kind, const ExportRequest& request) {
    const int db = s.main.dbMain;
    s.alg.AddMelding(kind.startLine);
    s.alg.AddMelding("Database wordt geopend");
    ExportRun run(s, kind.functionName, db);
    return run.execute([&] {
        const std::string sql = kind.sql();
        if (s.main.Debugmode) s.dbase.Create_Query(db, kind.queryName, sql, false, false);

        HistoryDates d;
        d.P = run.processingDate(request);
        d.J = FirstOfYear(d.P);
        d.M = addMonths(d.P, -1);

        const int rsQuery = run.openRecordset(sql, dbOpenDynaset, /*isQuery=*/true);
        const int rsH = run.openRecordset("Historie", dbOpenTable);
        const int rsHW = run.openRecordset("HI_Waardering", dbOpenTable);

        ExportSheet sheet = run.startWorkbook("ZELK-Extract-1");
        sheet.writeBlock(headerBlock(kind, s.platform.now()));

        // A skipped record takes no row, so the rows run from 8 without gaps.
        long row = 7;
        run.forEachRecord(s.dbase.RsObject(db, rsQuery), [&](const Recordset& rs) {
            if (!passesSkipTest(rs.Field("OW_AanschafWaarde"), rs.Field("OW_HuidigeWaarde"))) return;
            ++row;
            sheet.writeRow(row, assetRow(s, kind, rs, d, rsH, rsHW));
        });
        run.closeQuery();
        sheet.restoreApplication();
        formatAssetSheet(sheet);
        run.closeTables();
        run.done();
    });
}

}  // namespace

bool Export1a(Session& session, const ExportRequest& request) { return runAssetExport(session, kMovable, request); }
bool Export1b(Session& session, const ExportRequest& request) {
    return runAssetExport(session, kImmovable, request);
}

}  // namespace zelk
