// The three exports end to end on a small administration whose records hit
// the column rules, read back from the workbook the export leaves behind.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "database/schema.h"
#include "database/sqlite_handle.h"
#include "exports/code_texts.h"
#include "exports/export_run.h"
#include "exports/export_sql.h"
#include "exports/exports.h"
#include "exports/schema_check.h"
#include "exports/workbook_output.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "session/session.h"
#include "spreadsheet/cell_address.h"
#include "spreadsheet/worksheet.h"
#include "support/test_files.h"

using namespace zelk;

namespace {

const char* const kAdministration = R"SQL(
INSERT INTO Waardering VALUES ('COM','Commercieel'), ('IFR','IFRS');
INSERT INTO Eigenaar VALUES ('E1','Kalmerstede a'), ('E2','Heldraak'), ('E3',' KALMERSTEDE'), ('E4','Kalmerstede B');
INSERT INTO OG VALUES
 ('G1','E1','Kantoor Noord','Hoofdstraat 1','1234 AB','Utrecht','Midden',1,2,200,0,'2020-05-01'),
 ('G2','E2','Depot','Havenweg 9','3011 AA','Rotterdam','West',3,1,0,NULL,NULL),
 ('G3','E1','Verkocht','Laan 2','9999 ZZ','Zwolle','Oost',1,1,0,5,NULL),
 ('G4','E3',NULL,'Dorp 4','5555 CC','Ede','Oost',NULL,NULL,NULL,0,NULL);
INSERT INTO Categori VALUES ('C1','Inventaris','INV','4711'), ('C2','Gebouwen','GR','1234567'),
 ('C3','Leeg',NULL,NULL);
INSERT INTO IC VALUES ('I1','C1','Bureaus'), ('I2','C2','Panden'), ('I3','C3','Overig'), ('I7','C1','Machines');
INSERT INTO IC_Waardering VALUES ('I1','COM',10), ('I2','COM',3), ('I3','COM',NULL), ('I7','COM',7),
 ('I1','IFR',10), ('I2','IFR',3);
INSERT INTO OB VALUES
 ('G1','I1',1,'Bureau','P100',50,NULL,'2015-06-30','2010-02-01'),
 ('G1','I1',2,'   ',NULL,NULL,NULL,NULL,NULL),
 ('G1','I2',1,'Pand','P200',0,10,'2019-01-01',NULL),
 ('G1','I3',1,'Overig',NULL,NULL,NULL,NULL,NULL),
 ('G1','I7',1,NULL,NULL,NULL,NULL,NULL,NULL),
 ('G2','I1',1,'Overgeslagen',NULL,NULL,NULL,NULL,NULL),
 ('G2','I1',2,'Kast','P300',NULL,NULL,NULL,NULL),
 ('G3','I1',1,'Weg',NULL,NULL,NULL,NULL,NULL),
 ('G4','I1',1,'Stoel',NULL,NULL,NULL,NULL,NULL);
INSERT INTO OB_Waardering VALUES
 ('G1','I1',1,'COM','2010-01-31',1000,300,700,NULL),
 ('G1','I1',2,'COM','2010-01-31',1000,300,700,NULL),
 ('G1','I2',1,'COM','2010-01-31',5000,999,150,NULL),
 ('G1','I3',1,'COM','2010-01-31',10,1,9,NULL),
 ('G1','I7',1,'COM','2010-01-31',1000,0,1000,NULL),
 ('G2','I1',1,'COM','2010-01-31',1000999,0,1000,NULL),
 ('G2','I1',2,'COM','2010-01-31',800,0,800,'2012-03-15'),
 ('G3','I1',1,'COM','2010-01-31',800,0,800,NULL),
 ('G4','I1',1,'COM','2010-01-31',800,0,800,NULL);
INSERT INTO Historie (OGCODE,ICCODE,VLGNUM,RECNO,DatBoe) VALUES
 ('G1','I1',1,1,'2020-03-01'), ('G1','I1',1,2,'2021-07-01'), ('G1','I1',1,3,'2026-02-15'),
 ('G1','I2',1,1,'2025-12-31');
INSERT INTO HI_Waardering (HW_OgCode,HW_IcCode,HW_Vlgnum,HW_RecNo,HW_Waardering,HW_CumAfschr) VALUES
 ('G1','I1',1,1,'COM',100), ('G1','I1',1,2,'COM',200), ('G1','I1',1,3,'COM',500),
 ('G1','I2',1,1,'COM',999), ('G1','I2',1,1,'IFR',800);
)SQL";

struct Administration {
    zelk::testing::ScratchDir dir;
    std::string file = dir / "activa.db";
    explicit Administration(const char* extraSql = "") {
        sqlite::exec(sqlite::open(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).get(),
                     assetSchemaSql() + kAdministration + extraSql);
    }
};

struct ExportFixture {
    ScriptedPlatform platform;
    Session s{platform};
    explicit ExportFixture(const std::string& file) {
        platform.clock = makeDateTime({2026, 12, 6, 10, 15, 3});
        std::string name = file, password = "vastactiva";
        s.main.dbMain = s.dbase.OpenDatabase(name, "", password, true, "", false, false);
    }
    const Worksheet& sheet() { return s.exl.ExcelApp->ActiveWorkbook().ActiveSheet(); }
    Variant cell(const std::string& address) {
        const auto a = parseCell(address);
        return sheet().value(a->row1, a->col1);
    }
    bool anySlotOpen() {
        for (int rs = 1; rs <= 40; ++rs)
            if (s.dbase.RsOpen(s.main.dbMain, rs)) return true;
        return false;
    }
    std::string lastBox() {
        const auto prompts = platform.msgBoxPrompts();
        return prompts.empty() ? "" : prompts.back();
    }
    // Each address with the value its cell holds ({} for an empty cell).
    void expectCells(std::initializer_list<std::pair<const char*, Variant>> cells) {
        for (const auto& [address, value] : cells) EXPECT_EQ(cell(address), value) << address;
    }
};

Variant money(double v) { return Variant(Currency::fromDouble(v)); }
Variant date(int y, int m, int d) { return Variant(makeDate(y, m, d)); }

}  // namespace

// The exports' rows below meet the other codes.
TEST(ExportTexts, CodeTablesBeyondTheAdministration) {
    EXPECT_EQ(OwnershipText(Variant(2.0)), Variant("Huur"));
    EXPECT_TRUE(OwnershipText(Variant(std::int16_t{4})).isEmpty());
    EXPECT_TRUE(OwnershipText(Variant::null()).isEmpty());
    EXPECT_TRUE(UsageText(Variant(std::int16_t{3})).isEmpty());
    EXPECT_EQ(ownerPlaceCode(Variant("Facilitair Bedrijf")), Variant("B0107"));
    EXPECT_TRUE(ownerPlaceCode(Variant("KALMERSTEDE B")).isEmpty());
    EXPECT_TRUE(ownerPlaceCode(Variant::null()).isEmpty());
}

TEST(Export1a, MovableAssetsFollowTheColumnRules) {
    Administration admin;
    ExportFixture f(admin.file);
    ASSERT_GT(f.s.main.dbMain, 0);
    f.platform.inputAnswers.push_back("31-03-2026");
    ASSERT_TRUE(Export1a(f.s, {}));
    EXPECT_FALSE(f.anySlotOpen());
    EXPECT_EQ(f.sheet().Name(), "ZELK-Extract-1");
    EXPECT_EQ(f.s.exl.ExcelApp->ActiveWorkbook().Sheets().Count(), 1);

    // The date question offers the first of the current month.
    const auto& q = f.platform.asked.front();
    EXPECT_EQ(q.prompt, "Geef verwerkingsdatum");
    EXPECT_EQ(q.title, "Toets in ..");
    EXPECT_EQ(q.preset, "1-12-2026");

    f.expectCells({{"A1", "(ZELK-Extract-1)"}, {"C1", "(Roerend)"}, {"E1", "COM"}, {"AB4", "Life in Months"}});
    f.expectCells({{"AZ4", "EdatCoHaf"}, {"A7", {}}});
    EXPECT_EQ(f.cell("L1"), Variant("06-12-2026"));  // the day of the run, not the processing date
    EXPECT_NEAR(f.cell("L2").toDouble(), makeTime(10, 15, 3).serial, 1e-9);

    // Row 8: full history, owner code, the 10% end date rule. P: the apostrophe
    // is the text prefix. Y: C(31-03-2026) 500 - C(01-01-2026) 200. AE: C(P) = C(28-02-2026).
    f.expectCells({{"A8", "Bureau"}, {"C8", "Inventaris"}, {"E8", money(1000)}, {"F8", "B0190"}, {"H8", "BG1"}});
    f.expectCells({{"I8", 813121.0}, {"O8", date(2010, 1, 31)}, {"P8", "P100"}, {"R8", "BG1"}});
    f.expectCells({{"T8", "Kantoor Noord"}, {"X8", money(300)}, {"Y8", money(300)}, {"AB8", 120.0}, {"AE8", money(0)}});
    f.expectCells({{"AF8", "Amount"}, {"AG8", money(50)}, {"AH8", "No"}, {"AI8", date(2020, 5, 1)}});
    f.expectCells({{"AO8", "G1 - I1 - 1"}, {"AU8", "Eigendom"}, {"AV8", "Niet in eigen gebruik"}, {"AW8", money(200)}});
    f.expectCells({{"AZ8", date(2015, 6, 30)}, {"BA8", 65.0}});

    // Row 9: a name of blanks, no project number (a lone text prefix), no history at all.
    f.expectCells({{"A9", "Taxatie"}, {"P9", {}}, {"Y9", money(0)}, {"AG9", 0.0}, {"AZ9", {}}, {"BA9", {}}});

    // Row 10: an empty name stays empty; 7% gives 171 months (31-01-2010 -> 30-04-2024).
    f.expectCells({{"A10", {}}, {"AB10", 171.0}});

    // The record whose purchase value is the current value + 999999 takes no row;
    // the next runs to its own end date 15-03-2012. A leading blank makes another
    // owner; no OG_BedOpb 5 building; no immovable or kindless asset.
    f.expectCells({{"AO11", "G2 - I1 - 2"}, {"F11", "B0572"}, {"AB11", 26.0}, {"AU11", "Beide"}});
    f.expectCells({{"AV11", "In eigen gebruik"}, {"AO12", "G4 - I1 - 1"}, {"F12", {}}, {"AO13", {}}});

    EXPECT_TRUE(f.sheet().bold(4, 53));
    EXPECT_FALSE(f.sheet().bold(5, 1));
    EXPECT_EQ(f.sheet().numberFormat(8, 5), "##0_-");
    EXPECT_EQ(f.sheet().numberFormat(8, 15), "D-MMM-YYYY");
    EXPECT_EQ(f.sheet().numberFormat(2, 12), "h:mm:ss");
    EXPECT_EQ(f.s.alg.screen().text().find("Export1a wordt opgestart"), 0u);
    EXPECT_NE(f.s.alg.screen().text().find("Done\r\n"), std::string::npos);
}

TEST(Export1b, ImmovableAssetsUseTheirLifeAndTheIfrFigures) {
    Administration admin;
    ExportFixture f(admin.file);
    f.platform.inputAnswers.push_back("2026-03-31");
    ASSERT_TRUE(Export1b(f.s, {}));
    // X: IFR as of the processing date, not OW_CumAfschr; AB: a life of 10 years
    // beats the category's 3%; AZ: EdatCoHAf is filled, but not read here.
    f.expectCells({{"C1", "(Onroerend)"}, {"E1", "COM/IFR"}, {"AZ4", {}}, {"BA4", {}}, {"AO8", "G1 - I2 - 1"}});
    f.expectCells({{"X8", money(800)}, {"AB8", 120.0}, {"AH8", "No"}, {"AZ8", {}}, {"AO9", {}}});
}

TEST(Export2, CategoryMappingRowsAndAccountBlocks) {
    Administration admin;
    ExportFixture f(admin.file);
    ASSERT_TRUE(Export2(f.s));
    EXPECT_FALSE(f.anySlotOpen());
    EXPECT_EQ(f.sheet().Name(), "ZELK-Extract-2");
    // An empty text in the header leaves its cell empty.
    f.expectCells({{"A1", "(ZELK-Extract-2)"}, {"G4", "Category"}, {"V4", {}}, {"AJ4", {}}});
    f.expectCells({{"CK4", "Unplanned Depreciation Expense"}});

    // Only building G1 qualifies (OG_BedOpb 0 and a GR asset with a COM value):
    // its five assets. W: 150 of 200; K9: no DatBoeAkt; L10: 3%; L11: no percentage.
    f.expectCells({{"A8", "Kantoor Noord, Utrecht"}, {"G8", "G1"}, {"H8", "Bureaus"}, {"K8", date(2010, 2, 1)}});
    f.expectCells({{"L8", 120.0}, {"T8", 1.0}, {"U8", "YES"}, {"W8", 75.0}, {"AI8", "01"}, {"AJ8", "BG1"}});
    f.expectCells({{"AK8", "004711"}, {"AO8", 157000.0}, {"BA8", "157000"}, {"BI8", "152056"}, {"BO8", {}}});
    f.expectCells({{"CN8", "00000"}, {"K9", date(1950, 1, 1)}, {"L10", 400.0}, {"AK10", "234567"}, {"L11", 0.0}});
    f.expectCells({{"AK11", "000000"}, {"L12", 171.42857142857144}, {"A13", {}}});
    EXPECT_TRUE(f.sheet().bold(4, 50));
    EXPECT_FALSE(f.sheet().bold(4, 51));
    // Progress went through the platform and ended at the record count.
    ASSERT_FALSE(f.platform.progressCalls.empty());
    EXPECT_EQ(std::get<1>(f.platform.progressCalls.back()), 5);
    EXPECT_EQ(std::get<2>(f.platform.progressCalls.back()), 5);
}

TEST(ExportRequests, TheProcessingDateComesFromTheRequestTheUserOrTheStartOfTheMonth) {
    // End to end, with the command line's --date: golden_export.py.
    Administration admin;
    ExportFixture f(admin.file);
    f.platform.clock = makeDateTime({2026, 7, 15, 9, 30, 0});
    ExportRun run(f.s, "Aanmaken overzicht 1a", f.s.main.dbMain);
    // Unattended without a date: the first day of the clock's month, nothing asked.
    EXPECT_EQ(run.processingDate(ExportRequest{std::nullopt, true}), makeDate(2026, 7, 1));
    // A date in the request is taken as it is, asked for or not.
    EXPECT_EQ(run.processingDate(ExportRequest{makeDate(2026, 3, 31), true}), makeDate(2026, 3, 31));
    EXPECT_EQ(run.processingDate(ExportRequest{makeDate(2025, 2, 28), false}), makeDate(2025, 2, 28));
    EXPECT_TRUE(f.platform.asked.empty());
    // Otherwise the user is asked, with the first of the month offered.
    f.platform.inputAnswers.push_back("31-12-2025");
    EXPECT_EQ(run.processingDate(ExportRequest{}), makeDate(2025, 12, 31));
    ASSERT_EQ(f.platform.asked.size(), 1u);
    EXPECT_EQ(f.platform.asked[0].prompt, "Geef verwerkingsdatum");
    EXPECT_EQ(f.platform.asked[0].preset, "1-7-2026");
}

TEST(ExportFailures, TheUserIsToldAndTheSlotsAreClosed) {
    Administration admin;
    {
        // A cancelled date question: the conversion error, no "Done".
        ExportFixture f(admin.file);
        ASSERT_FALSE(Export1a(f.s, {}));
        EXPECT_EQ(f.lastBox(), "De functie 'Aanmaken overzicht 1a' niet correct beëindigd");
        EXPECT_EQ(f.platform.asked.back().title, "Type komt niet overeen (13)");
        EXPECT_EQ(f.platform.asked.back().style, vbCritical);
        EXPECT_FALSE(f.anySlotOpen());
        EXPECT_EQ(f.s.alg.screen().text().find("Done"), std::string::npos);
    }
    {
        // Not a date.
        ExportFixture f(admin.file);
        f.platform.inputAnswers.push_back("31-02-2026");
        ASSERT_FALSE(Export1b(f.s, {}));
        EXPECT_EQ(f.lastBox(), "De functie 'Aanmaken overzicht 1b' niet correct beëindigd");
    }
}

TEST(ExportFailures, MissingTablesAndValuationKinds) {
    {
        // Without "HI_Waardering" the table does not open: the layer's report, then "Foutje".
        Administration admin("DROP TABLE HI_Waardering;");
        ExportFixture f(admin.file);
        f.platform.inputAnswers.push_back("31-03-2026");
        ASSERT_FALSE(Export1a(f.s, {}));
        EXPECT_EQ(f.platform.asked.back().title, "Foutje");
        EXPECT_FALSE(f.anySlotOpen());
    }
    {
        // Without 'COM' among the valuation kinds, the first asset's figures are out of range.
        Administration admin("DELETE FROM Waardering WHERE WD_Waardering = 'COM';");
        ExportFixture f(admin.file);
        f.platform.inputAnswers.push_back("31-03-2026");
        ASSERT_FALSE(Export1a(f.s, {}));
        EXPECT_NE(f.platform.asked.back().title.find("(9)"), std::string::npos);
        EXPECT_FALSE(f.anySlotOpen());
    }
    {
        // The mapping export without its tables.
        Administration admin("DROP TABLE OB_Waardering;");
        ExportFixture f(admin.file);
        ASSERT_FALSE(Export2(f.s));
        EXPECT_EQ(f.lastBox(), "De functie 'Aanmaken overzicht 2' niet correct beëindigd");
        EXPECT_FALSE(f.anySlotOpen());
    }
}

TEST(ExportFailures, AnOutcomeNamesWhatTheDatabaseLacksAndTheRowsNotWritten) {
    // A caller without a screen (the command line) explains its exit from these.
    ExportRequest request;
    request.processingDate = parseDate("31-03-2026");
    Administration admin("DROP TABLE Historie; ALTER TABLE OB DROP COLUMN PrjNr;");
    ExportFixture f(admin.file);
    const ExportOutcome failed = runExportWithOutcome(f.s, ExportKind::Roerend, request);
    EXPECT_FALSE(failed.done);
    EXPECT_EQ(failed.missingSchema,
              (std::vector<std::string>{"Kolom 'OB.PrjNr' ontbreekt", "Tabel 'Historie' ontbreekt in de database"}));
    EXPECT_EQ(failed.rowsNotWritten, 0);

    Administration longNames(
        "UPDATE OB SET NAAM = replace(hex(zeroblob(20000)), '0', 'x') WHERE OGCODE = 'G1' AND ICCODE = 'I1' "
        "AND VLGNUM = 1;");
    ExportFixture g(longNames.file);
    const ExportOutcome lossy = runExportWithOutcome(g.s, ExportKind::Roerend, request);
    EXPECT_TRUE(lossy.done);
    EXPECT_TRUE(lossy.missingSchema.empty());
    EXPECT_EQ(lossy.rowsNotWritten, 1);
    // Each run counts its own rows only.
    EXPECT_EQ(runExportWithOutcome(g.s, ExportKind::Mapping, request).rowsNotWritten, 0);
}

TEST(ExportFailures, AScratchFileThatCannotBeWrittenFailsTheExportOnce) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is planted with a file-size limit, which Windows does not have";
#else
    // 150 assets whose long names take the sheet's rows past the spool's
    // buffer, so that they reach its scratch file.
    Administration admin(R"SQL(
WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 150)
INSERT INTO OB SELECT 'G1','I7',10 + n,replace(hex(zeroblob(8000)),'0','x'),NULL,NULL,NULL,NULL,NULL FROM k;
WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 150)
INSERT INTO OB_Waardering SELECT 'G1','I7',10 + n,'COM','2010-01-31',1000,0,1000,NULL FROM k;
)SQL");
    zelk::testing::ScratchDir temp;
    const zelk::testing::OwnTempDir ownTemp(temp);
    struct SpoolSoon {
        std::size_t old = Worksheet::spoolAfterRows();
        SpoolSoon() { Worksheet::setSpoolAfterRows(10); }
        ~SpoolSoon() { Worksheet::setSpoolAfterRows(old); }
    } spoolSoon;
    ExportFixture f(admin.file);
    ExportRequest request;
    request.processingDate = parseDate("31-03-2026");
    ExportOutcome full;
    {
        const zelk::testing::SmallFileLimit limit;
        full = runExportWithOutcome(f.s, ExportKind::Roerend, request);
    }
    // Not a row refused per row: one failure, no workbook to save.
    EXPECT_FALSE(full.done);
    EXPECT_EQ(full.rowsNotWritten, 0);
    const std::string screen = f.s.alg.screen().text();
    EXPECT_EQ(screen.find("1004 - "), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Done"), std::string::npos) << screen;
    EXPECT_EQ(f.lastBox(), "De functie 'Aanmaken overzicht 1a' niet correct beëindigd");
    const std::string why = f.platform.asked.back().title;
    EXPECT_NE(why.find("in de tijdelijke map '" + temp.str() + "'"), std::string::npos) << why;
    EXPECT_FALSE(f.anySlotOpen());

    // The next export goes on as after any failed one, and with room the
    // same rows are written.
    EXPECT_TRUE(runExportWithOutcome(f.s, ExportKind::Roerend, request).done);
    int spooled = 0;
    for (long r = 8; r <= 400; ++r)
        if (f.sheet().value(r, 41).toString().rfind("G1 - I7 - ", 0) == 0) ++spooled;
    EXPECT_GE(spooled, 150);
    EXPECT_EQ(f.s.exl.rowsNotWritten(), 0);
#endif
}

TEST(ExportFailures, AmountsAndDatesOutsideTheirRangesAreNotComputed) {
    struct Case {
        const char* sql;
        const char* error;
    };
    const Case cases[] = {
        // C(31-03-2026) = 9e14 and C(01-01-2026) = -9e14: "YTD Depreciation" leaves the range.
        {"UPDATE HI_Waardering SET HW_CumAfschr = 900000000000000 WHERE HW_OgCode = 'G1' AND HW_RecNo = 3;"
         "UPDATE HI_Waardering SET HW_CumAfschr = -900000000000000 WHERE HW_OgCode = 'G1' AND HW_RecNo = 2;",
         "Overloop (6)"},
        // The skip test's current value + 999999.
        {"UPDATE OB_Waardering SET OW_HuidigeWaarde = 922337203000000 WHERE OW_OgCode = 'G2' AND OW_Vlgnum = 2;",
         "Overloop (6)"},
        // A life of 0,01 % ends past the year 9999.
        {"UPDATE IC_Waardering SET IW_Afschr_Percentage = 0.01 WHERE IW_IcCode = 'I7';",
         "Ongeldige procedure-aanroep of ongeldig argument (5)"},
        // A month count that no Long holds.
        {"UPDATE IC_Waardering SET IW_Afschr_Percentage = 1e-305 WHERE IW_IcCode = 'I7';", "Overloop (6)"},
    };
    for (const Case& c : cases) {
        Administration admin(c.sql);
        ExportFixture f(admin.file);
        f.platform.inputAnswers.push_back("31-03-2026");
        EXPECT_FALSE(Export1a(f.s, {})) << c.sql;
        EXPECT_EQ(f.lastBox(), "De functie 'Aanmaken overzicht 1a' niet correct beëindigd") << c.sql;
        EXPECT_EQ(f.platform.asked.back().title, c.error) << c.sql;
        EXPECT_FALSE(f.anySlotOpen());
        EXPECT_EQ(f.s.alg.screen().text().find("Done"), std::string::npos);
    }
    {
        // The buildings' sum of current values, read as a Currency amount.
        Administration admin(
            "INSERT INTO OB VALUES ('G1','I2',2,'Pand 2',NULL,NULL,NULL,NULL,NULL);"
            "INSERT INTO OB_Waardering VALUES ('G1','I2',2,'COM','2010-01-31',1,0,900000000000000,NULL);"
            "UPDATE OB_Waardering SET OW_HuidigeWaarde = 900000000000000 WHERE OW_IcCode = 'I2';");
        ExportFixture f(admin.file);
        EXPECT_FALSE(Export2(f.s));
        EXPECT_EQ(f.platform.asked.back().title, "Overloop (6)");
        EXPECT_FALSE(f.anySlotOpen());
    }
    {
        // The immovable export reaches the same limit through the asset's life.
        Administration admin("UPDATE OB SET OB_Levensduur = 10000 WHERE OGCODE = 'G1' AND ICCODE = 'I2';");
        ExportFixture f(admin.file);
        f.platform.inputAnswers.push_back("31-03-2026");
        EXPECT_FALSE(Export1b(f.s, {}));
        EXPECT_EQ(f.platform.asked.back().title, "Ongeldige procedure-aanroep of ongeldig argument (5)");
    }
}

TEST(ExportFailures, AmountsThatAreNoAmountsAreATypeMismatch) {
    {
        // SQLite's own Sum would count the text as 0: a wrong percentage of the building's value.
        Administration admin("UPDATE OB_Waardering SET OW_HuidigeWaarde = '150,00' WHERE OW_IcCode = 'I2';");
        ExportFixture f(admin.file);
        EXPECT_FALSE(Export2(f.s));
        const std::string screen = f.s.alg.screen().text();
        EXPECT_NE(screen.find("Fout #  13 "), std::string::npos) << screen;
        EXPECT_NE(screen.find("Type komt niet overeen"), std::string::npos) << screen;
        EXPECT_EQ(f.lastBox(), "De functie 'Aanmaken overzicht 2' niet correct beëindigd");
        EXPECT_FALSE(f.anySlotOpen());
    }
    {
        // Compared with 0 in both exports' queries: the building would drop out without a word.
        Administration admin("UPDATE OG SET OG_BedOpb = 'nul' WHERE OG_CODE = 'G1';");
        ExportFixture f(admin.file);
        EXPECT_FALSE(Export2(f.s));
        EXPECT_EQ(f.platform.asked.back().title, "Type komt niet overeen: OG.OG_BedOpb bevat 'nul', geen bedrag (13)");
        f.platform.inputAnswers.push_back("31-03-2026");
        EXPECT_FALSE(Export1a(f.s, {}));
        EXPECT_EQ(f.platform.asked.back().title, "Type komt niet overeen: OG.OG_BedOpb bevat 'nul', geen bedrag (13)");
        EXPECT_FALSE(f.anySlotOpen());
    }
}

TEST(ExportFailures, UnreadableHistoryIsCountedAndAMissingIndexNamedFirst) {
    ExportRequest request;
    request.processingDate = parseDate("31-03-2026");
    {
        // A booking date that is no date: that object's figures would be zeros.
        Administration admin("UPDATE Historie SET DatBoe = 'gisteren' WHERE OGCODE = 'G1' AND RECNO = 3;");
        ExportFixture f(admin.file);
        const ExportOutcome o = runExportWithOutcome(f.s, ExportKind::Roerend, request);
        EXPECT_TRUE(o.done);
        EXPECT_TRUE(o.missingSchema.empty());
        EXPECT_EQ(o.unreadableHistory, 1);
        const std::string screen = f.s.alg.screen().text();
        EXPECT_NE(screen.find("1 objecten met onleesbare historie\r\nDone"), std::string::npos) << screen;
        // Each run counts its own objects; the mapping reads no history.
        EXPECT_EQ(runExportWithOutcome(f.s, ExportKind::Mapping, request).unreadableHistory, 0);
    }
    {
        // Without the index the lookup seeks in, every object's history is unreadable.
        Administration admin("DROP INDEX OgCodRev;");
        ExportFixture f(admin.file);
        const ExportOutcome o = runExportWithOutcome(f.s, ExportKind::Roerend, request);
        EXPECT_EQ(o.missingSchema, std::vector<std::string>{"Index 'Historie.OgCodRev' ontbreekt"});
        EXPECT_TRUE(o.done);
        EXPECT_EQ(o.unreadableHistory, 5);  // the assets that pass the skip test
        const std::string screen = f.s.alg.screen().text();
        EXPECT_LT(screen.find("Index 'Historie.OgCodRev' ontbreekt"), screen.find("Excel wordt opgestart")) << screen;
    }
}

TEST(ExportOutput, SavedWorkbookIsShownAndReleased) {
    Administration admin;
    ExportFixture f(admin.file);
    f.platform.store.set(kAppTitle, "Excel", "ExportDir", admin.dir / "uit");
    ASSERT_TRUE(RunExport(f.s, ExportKind::Mapping, {}));
    ASSERT_EQ(f.s.excelInstances.count(), 1u);
    ASSERT_TRUE(saveAndShowActiveWorkbook(f.s, ExportKind::Mapping, true));
    // The folder and the free names are exports_save_policy_test's; here the
    // export's own name and the workbook let go.
    ASSERT_EQ(f.platform.openedDocuments.size(), 1u);
    const std::filesystem::path saved = f.platform.openedDocuments[0];
    EXPECT_EQ(saved, std::filesystem::path(admin.dir / "uit/ZELK-Extract-2 Mapping 2026-12-06 101503.xlsx"));
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(f.s.excelInstances.count(), 0u);
}

TEST(ExportOutput, RowsThatCannotBeWrittenAreCountedAndTextsCarriedWhole) {
    // One asset's name is longer than a cell holds; an account number holds a NUL.
    Administration admin(
        "UPDATE OB SET NAAM = replace(hex(zeroblob(20000)), '0', 'x') WHERE OGCODE = 'G1' AND ICCODE = 'I1' "
        "AND VLGNUM = 1;"
        "UPDATE Categori SET CT_REKNUM = '47' || char(0) || '11' WHERE CT_CODE = 'C1';");
    ExportFixture f(admin.file);
    f.platform.inputAnswers.push_back("31-03-2026");
    ASSERT_TRUE(Export1a(f.s, {}));
    const std::string screen = f.s.alg.screen().text();
    EXPECT_NE(screen.find("1004 - Tekst te lang voor een cel\r\n"), std::string::npos) << screen;
    EXPECT_NE(screen.find("1 rijen niet weggeschreven\r\nDone\r\n"), std::string::npos) << screen;
    EXPECT_TRUE(f.cell("AO8").isEmpty());  // the row stays empty, the next asset follows
    EXPECT_EQ(f.cell("AO9"), Variant("G1 - I1 - 2"));
    EXPECT_EQ(f.s.exl.rowsNotWritten(), 1);

    // A clean run says nothing of lost rows; the count only grows.
    ASSERT_TRUE(Export2(f.s));
    EXPECT_EQ(f.s.alg.screen().text().find("rijen niet weggeschreven", screen.size()), std::string::npos);
    EXPECT_EQ(f.cell("AK8"), Variant(std::string("047\0"
                                                 "11",
                                                 6)));
    const std::string file = admin.dir / "mapping.xlsx";
    ASSERT_TRUE(saveActiveWorkbook(f.s, file));
    auto app = f.s.excelInstances.start(f.platform);
    const Worksheet& back = *app->Workbooks().Open(file).sheets()[0];
    EXPECT_EQ(back.value(8, 37), Variant(std::string("047\0"
                                                     "11",
                                                     6)));
    EXPECT_EQ(f.s.exl.rowsNotWritten(), 1);
}
