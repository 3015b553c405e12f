// The category mapping export: one row per asset with the fixed answers of a
// ledger's category set-up and four-part account codes. It first defines the
// stored query OG_WVW, which its main query joins for the buildings' sums.

#include <cmath>

#include "database/dbase.h"
#include "database/field_cache.h"
#include "exports/export_run.h"
#include "exports/export_sql.h"
#include "exports/exports.h"
#include "exports/schema_check.h"
#include "messages/alg_func.h"
#include "messages/datum_routines.h"
#include "runtime/dates.h"
#include "session/session.h"
#include "spreadsheet/variant_array.h"

namespace zelk {
namespace {

constexpr int kColumns = 92;

// Row-4 texts: nullptr leaves the cell empty, "" gives the empty text.
const char* const kHeaders[kColumns] = {
    "Description", "-", "Enabled", "Ownership", "Category Type", "Capitalize", "Category", "Category",
    "In Physical Inventory", "Book", "Placed in Service", "Life Years And Months", "Method", "Prorate Convention",
    "ITC Eligible", "Use ITC Ceilings", "Depreciate", "Retirement Convention", "Straight Line for Retirement",
    "Capital Gain Threshold", "Use Depreciation Limit", "", "Limit/Percent", "", "", "", "", "Default Salvage Value",
    "", "", "", "", "", "",
    // 35..66: eight account blocks
    "Asset Cost", nullptr, nullptr, nullptr, "Asset Clearing", nullptr, nullptr, nullptr, "Depreciation Expense",
    nullptr, nullptr, nullptr, "Accumulated Depreciation", nullptr, nullptr, nullptr, "Bonus Expense", nullptr, nullptr,
    nullptr, "Bonus Reserve", nullptr, nullptr, nullptr, "Revaluation Reserve", nullptr, nullptr, nullptr,
    "Revaluation Amortization", nullptr, nullptr, nullptr,
    // 67, 68: between the eighth and the ninth block
    "", "",
    // 69..92: six account blocks
    "CIP Cost", nullptr, nullptr, nullptr, "CIP Clearing", nullptr, nullptr, nullptr, "Alternate Asset Cost", nullptr,
    nullptr, nullptr, "", nullptr, nullptr, nullptr, "Write-off Expense", nullptr, nullptr, nullptr,
    "Unplanned Depreciation Expense", nullptr, nullptr, nullptr};

// The third cell of each account block, by the block's first column.
enum class Account { CategoryNumber, Clearing157000Number, Text157000, Text152056 };
struct AccountBlock {
    int column;
    Account account;
};
const AccountBlock kBlocks[] = {
    {35, Account::CategoryNumber}, {39, Account::Clearing157000Number}, {43, Account::CategoryNumber},
    {47, Account::CategoryNumber}, {51, Account::Text157000},           {55, Account::Text157000},
    {59, Account::Text152056},     {63, Account::Text152056},           {69, Account::Text157000},
    {73, Account::Text157000},     {77, Account::Text157000},           {81, Account::Text157000},
    {85, Account::Text157000},     {89, Account::Text157000},
};

VariantArray headerBlock(Date now) {
    VariantArray block = VariantArray(1, 5, 1, kColumns);
    block(1, 1) = Variant("(ZELK-Extract-2)");
    block(1, 11) = Variant("Datum:");
    block(1, 12) = Variant(FormatDatum(Variant(now), "DD-MM-YYYY", ""));
    block(2, 11) = Variant("Tijd:");
    block(2, 12) = Variant(timeOfDay(now));
    for (int col = 1; col <= kColumns; ++col)
        if (kHeaders[col - 1]) block(4, col) = Variant(kHeaders[col - 1]);
    return block;
}

bool isGreaterThanZero(const Variant& v) {
    auto c = compareVariants(v, Variant(0));
    return c && *c > 0;
}

// The query's fields, resolved once per run.
enum QueryField : std::size_t {
    fOGCODE,
    fOG_Naam,
    fOG_Plaats,
    fIc_Oms,
    fDatBoeAkt,
    fIW_Afschr_Percentage,
    fOG_WVW,
    fHuidigeWaarde,
    fOW_AanschafDatum,
    fOB_Restwaarde,
    fCT_REKNUM,
    fQueryFieldCount
};
const char* const kQueryFieldNames[fQueryFieldCount] = {
    "OGCODE", "OG_Naam",       "OG_Plaats",        "Ic_Oms",        "DatBoeAkt", "IW_Afschr_Percentage",
    "OG_WVW", "HuidigeWaarde", "OW_AanschafDatum", "OB_Restwaarde", "CT_REKNUM"};

VariantArray mappingRow(const Recordset& rs, const FieldCache& f) {
    VariantArray row = VariantArray(1, kColumns);
    const Variant og = f(rs, fOGCODE);
    const std::string building = "B" + displayText(og);

    row(1) = Variant(displayText(f(rs, fOG_Naam)) + ", " + displayText(f(rs, fOG_Plaats)));
    row(2) = Variant("NO");
    row(3) = Variant("YES");
    row(4) = Variant("OWNED");
    row(5) = Variant("NON-LEASE");
    row(6) = Variant("YES");
    row(7) = og;
    row(8) = f(rs, fIc_Oms);
    row(9) = Variant("YES");
    row(10) = Variant("QEV FM CORPORATE");
    row(11) = NotNull(f(rs, fDatBoeAkt), Variant(makeDate(1950, 1, 1)));
    const Variant pct = f(rs, fIW_Afschr_Percentage);
    row(12) = isGreaterThanZero(pct) ? Variant(100.0 / pct.toDouble() * 12.0) : Variant(std::int32_t{0});
    row(13) = Variant("STL");
    row(14) = Variant("BEG-MONTH");
    row(15) = Variant("NO");
    row(16) = Variant("NO");
    row(17) = Variant("YES");
    row(18) = Variant("BEG-MONTH");
    row(19) = Variant("NO");
    row(20) = Variant(std::int32_t{1});
    const Variant wvw = f(rs, fOG_WVW);
    const bool limited = isGreaterThanZero(wvw);
    row(21) = Variant(limited ? "YES" : "NO");
    row(22) = Variant("");
    if (limited) {
        // Rounded down, not to the nearest: 199 of 200 is 99 percent. The
        // buildings' sum is a Currency amount, so a sum beyond its range overflows.
        const Variant huidig = f(rs, fHuidigeWaarde);
        if (!huidig.isNull()) row(23) = Variant(std::floor(huidig.toCurrency().toDouble() / wvw.toDouble() * 100.0));
    } else {
        row(23) = Variant(std::int32_t{0});
    }
    row(24) = Variant("NO");
    row(25) = Variant("NO");
    row(26) = f(rs, fOW_AanschafDatum);
    row(28) = f(rs, fOB_Restwaarde);
    for (int col = 29; col <= 34; ++col) row(col) = Variant("");

    const std::string categoryAccount = "'" + PadString(f(rs, fCT_REKNUM), 6, "0", false, false);
    for (const AccountBlock& b : kBlocks) {
        row(b.column) = Variant("'01");
        row(b.column + 1) = Variant(building);
        switch (b.account) {
        case Account::CategoryNumber: row(b.column + 2) = Variant(categoryAccount); break;
        case Account::Clearing157000Number: row(b.column + 2) = Variant(std::int32_t{157000}); break;
        case Account::Text157000: row(b.column + 2) = Variant("'157000"); break;
        case Account::Text152056: row(b.column + 2) = Variant("'152056"); break;
        }
        row(b.column + 3) = Variant("'00000");
    }
    return row;
}

}  // namespace

bool Export2(Session& s) {
    const int db = s.main.dbMain;
    s.alg.AddMelding("Export2 wordt opgestart");
    s.alg.AddMelding("Database wordt geopend");
    reportMissingSchema(s, db, exportNeeds(ExportKind::Mapping));
    ExportRun run(s, "Aanmaken overzicht 2", db);
    return run.execute([&] {
        run.requireAmounts("OG", "OG_BedOpb");
        s.dbase.Create_Query(db, "OG_WVW", ogWvwSql(), false, false);
        const int rsQuery = run.openRecordset(categoryMappingSql(), dbOpenDynaset, /*isQuery=*/true);

        ExportSheet sheet = run.startWorkbook("ZELK-Extract-2");
        sheet.writeBlock(headerBlock(s.platform.now()));

        long row = 7;
        const FieldCache f({std::begin(kQueryFieldNames), std::end(kQueryFieldNames)});
        run.forEachRecord(s.dbase.RsObject(db, rsQuery),
                          [&](const Recordset& rs) { sheet.writeRow(++row, mappingRow(rs, f)); });
        run.closeQuery();
        sheet.restoreApplication();
        sheet.bold("A1:AX4");
        sheet.numberFormat("L2", "h:mm:ss");
        sheet.autoFit("A:AX");
        sheet.select("A1");
        run.done();
    });
}

}  // namespace zelk
