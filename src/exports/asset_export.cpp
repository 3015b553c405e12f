// The two asset exports: one row per asset with the figures a fixed-asset
// ledger loads, as of a processing date the user types. The immovable run is
// the movable one with a handful of differences, collected in AssetKind.

#include <array>
#include <cmath>

#include "database/dbase.h"
#include "database/field_cache.h"
#include "exports/code_texts.h"
#include "exports/export_run.h"
#include "exports/export_sql.h"
#include "exports/exports.h"
#include "exports/schema_check.h"
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

const AssetKind kMovable{"Export1a wordt opgestart",
                         "Export1a",
                         "Aanmaken overzicht 1a",
                         "COM",
                         "(Roerend)",
                         "COM",
                         false,
                         movableAssetsSql};
const AssetKind kImmovable{
    "Export1b wordt opgestart", "Export1b", "Aanmaken overzicht 1b", "IFR", "(Onroerend)", "COM/IFR", true,
    immovableAssetsSql};

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
        limit = Variant(huidig.toCurrency() + Currency::fromWhole(999999));
    else limit = Variant(huidig.toDouble() + 999999.0);
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

// The main query's fields, resolved once per run.
enum QueryField : std::size_t {
    fOGCODE,
    fICCODE,
    fVLGNUM,
    fOB_NAAM,
    fCT_OMS,
    fOW_AanschafWaarde,
    fEigenaar_NAAM,
    fOg_Code,
    fOW_AanschafDatum,
    fPrjNr,
    fOG_Naam,
    fOW_CumAfschr,
    fIW_Afschr_Percentage,
    fOB_Levensduur,
    fOW_EindDatum,
    fOB_Restwaarde,
    fOG_DatLstTax,
    fOG_Adres,
    fOG_PC,
    fOG_Plaats,
    fOG_Regio,
    fOG_Huur,
    fOG_Gebruik,
    fOG_WVW,
    fEdatCoHAf,
    fOW_HuidigeWaarde,
    fQueryFieldCount
};
const char* const kQueryFieldNames[fQueryFieldCount] = {"OGCODE",
                                                        "ICCODE",
                                                        "VLGNUM",
                                                        "OB.NAAM",
                                                        "CT_OMS",
                                                        "OW_AanschafWaarde",
                                                        "Eigenaar.NAAM",
                                                        "Og_Code",
                                                        "OW_AanschafDatum",
                                                        "PrjNr",
                                                        "OG_Naam",
                                                        "OW_CumAfschr",
                                                        "IW_Afschr_Percentage",
                                                        "OB_Levensduur",
                                                        "OW_EindDatum",
                                                        "OB_Restwaarde",
                                                        "OG_DatLstTax",
                                                        "OG_Adres",
                                                        "OG_PC",
                                                        "OG_Plaats",
                                                        "OG_Regio",
                                                        "OG_Huur",
                                                        "OG_Gebruik",
                                                        "OG_WVW",
                                                        "EdatCoHAf",
                                                        "OW_HuidigeWaarde"};

struct HistoryDates {
    Date P, J, M;
};

VariantArray assetRow(Session& s, const AssetKind& kind, const Recordset& rs, const FieldCache& f,
                      const HistoryDates& d, int rsH, int rsHW) {
    const int db = s.main.dbMain;
    const Variant og = f(rs, fOGCODE);
    const Variant ic = f(rs, fICCODE);
    const Variant vlg = f(rs, fVLGNUM);
    const std::int32_t vlgNr = vlg.toLong();
    const std::vector<HistorieRec> h = s.waardering.LeesHistorie(db, rsH, rsHW, og, ic, vlgNr, {d.P, d.J, d.M});
    const auto cumAfschr = [&](const HistorieRec& rec) {
        return rec.Waardering(s.waardering.WaarderingNr(Variant(kind.valuationCode))).CumAfschr;
    };
    const Currency cP = cumAfschr(h[0]);
    const Currency cJ = cumAfschr(h[1]);
    const Currency cM = cumAfschr(h[2]);

    VariantArray row = VariantArray(1, kColumns);
    const Variant naam = f(rs, fOB_NAAM);
    if (naam.isString() && naam.str().find_first_not_of(' ') == std::string::npos) row(1) = Variant("Taxatie");
    else row(1) = naam;
    row(3) = f(rs, fCT_OMS);
    row(5) = f(rs, fOW_AanschafWaarde);
    row(6) = ownerPlaceCode(f(rs, fEigenaar_NAAM));
    const Variant ogCode = f(rs, fOg_Code);
    row(8) = joined({Variant("B"), ogCode});
    row(9) = Variant(std::int32_t{813121});
    const Variant aanschafDatum = f(rs, fOW_AanschafDatum);
    row(15) = aanschafDatum;
    row(16) = joined({Variant("'"), f(rs, fPrjNr)});
    row(17) = Variant("");
    row(18) = joined({Variant("B"), ogCode});
    row(19) = Variant("");
    row(20) = f(rs, fOG_Naam);
    row(24) = kind.immovable ? Variant(cP) : f(rs, fOW_CumAfschr);
    row(25) = Variant(cP - cJ);

    Variant r = f(rs, fIW_Afschr_Percentage);
    if (kind.immovable) {
        const Variant levensduur = f(rs, fOB_Levensduur);
        if (isGreaterThanZero(levensduur)) r = Variant(100.0 / levensduur.toDouble());
    }
    const Variant e = endDate(r, aanschafDatum, f(rs, fOW_EindDatum), d.J);
    row(28) = Maximum(MonthsBetween(aanschafDatum, e), Variant(0));
    const Currency limit = cP - cM;
    row(31) = Variant(limit);
    row(32) = Variant("Amount");
    row(33) = NotNull(f(rs, fOB_Restwaarde), Variant(0));
    row(34) = Variant(limit.scaled == 0 ? "No" : "Yes");
    row(35) = f(rs, fOG_DatLstTax);
    row(41) = joined({og, Variant(" - "), ic, Variant(" - "), vlg});
    row(42) = f(rs, fOG_Naam);
    row(43) = f(rs, fOG_Adres);
    row(44) = f(rs, fOG_PC);
    row(45) = f(rs, fOG_Plaats);
    row(46) = f(rs, fOG_Regio);
    row(47) = OwnershipText(f(rs, fOG_Huur));
    row(48) = UsageText(f(rs, fOG_Gebruik));
    row(49) = f(rs, fOG_WVW);
    if (!kind.immovable) {
        const Variant edat = f(rs, fEdatCoHAf);
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
    reportMissingSchema(s, db, exportNeeds(kind.immovable ? ExportKind::Onroerend : ExportKind::Roerend));
    ExportRun run(s, kind.functionName, db);
    return run.execute([&] {
        run.requireAmounts("OG", "OG_BedOpb");
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
        const FieldCache f({std::begin(kQueryFieldNames), std::end(kQueryFieldNames)});
        run.forEachRecord(s.dbase.RsObject(db, rsQuery), [&](const Recordset& rs) {
            if (!passesSkipTest(f(rs, fOW_AanschafWaarde), f(rs, fOW_HuidigeWaarde))) return;
            ++row;
            sheet.writeRow(row, assetRow(s, kind, rs, f, d, rsH, rsHW));
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
bool Export1b(Session& session, const ExportRequest& request) { return runAssetExport(session, kImmovable, request); }

}  // namespace zelk
