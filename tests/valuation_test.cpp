// Valuation kinds and the history of an asset as of a date, on the history
// tables as the asset database holds them (index OgCodRev: latest booking first).

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "database/dbase.h"
#include "database/schema.h"
#include "database/sqlite_handle.h"
#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "support/test_files.h"
#include "valuation/waardering.h"

using namespace zelk;

namespace {

// Asset A1/X/1 has bookings on 1-3-2020, 1-7-2021 and 1-1-2023 (RECNO 1..3);
// B1/X/1 has one without a date and one on 1-1-2024; C9/X/1 is the last object in
// the index and booked only in 2027.
const char* const kHistory = R"SQL(
INSERT INTO Waardering VALUES ('COM','c'), ('IFR','i'), ('XY','x');
INSERT INTO Historie (OGCODE,ICCODE,VLGNUM,RECNO,DatBoe,Codmut,BedNogAct,HI_Levensduur) VALUES
 ('A1','X',1,1,'2020-03-01',1,100,10), ('A1','X',1,2,'2021-07-01',2,200,10), ('A1','X',1,3,'2023-01-01',3,300,10),
 ('B1','X',1,1,NULL,1,NULL,NULL), ('B1','X',1,2,'2024-01-01',2,50,5),
 ('C9','X',1,7,'2027-01-01',1,70,1);
INSERT INTO HI_Waardering (HW_OgCode,HW_IcCode,HW_Vlgnum,HW_RecNo,HW_Waardering,HW_CumAfschr,HW_AanschafDatum) VALUES
 ('A1','X',1,1,'COM',10,'2020-03-01'), ('A1','X',1,2,'COM',20,NULL), ('A1','X',1,2,'IFR',21,NULL),
 ('A1','X',1,2,'OUD',99,NULL), ('A1','X',1,3,'IFR',31,NULL), ('A1','X',1,3,'IFR',32,NULL),
 ('C9','X',1,7,'COM',77,NULL);
)SQL";

struct History : ::testing::Test {
    zelk::testing::ScratchDir dir;
    const std::string file = dir / "h.db";
    ScriptedPlatform platform;
    Alg alg{platform};
    Dbase dbase{platform, alg};
    MdlWaardering w{dbase};
    int db = -1, rsH = -1, rsHW = -1;

    void SetUp() override {
        execute(assetSchemaSql() + kHistory);
        std::string name = file, password;
        db = dbase.OpenDatabase(name, "", password, true, "", false, false);
        rsH = dbase.OpenRecordset(db, "Historie", dbOpenTable);
        rsHW = dbase.OpenRecordset(db, "HI_Waardering", dbOpenTable);
    }
    void execute(const std::string& sql) {
        sqlite::exec(sqlite::open(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).get(), sql);
    }
    HistorieRec at(const char* og, Date d) {
        return w.LeesHistorie(db, rsH, rsHW, Variant(og), Variant("x"), 1, d, false);
    }
};

}  // namespace

TEST_F(History, ValuationCodeList) {
    EXPECT_EQ(w.WaarderingNr(Variant("COM")), -1);  // not loaded yet
    const HistorieRec rec = w.InitWaarderingen(db);
    EXPECT_EQ(w.WaarderingenLijst, "COM|IFR| XY|");
    EXPECT_EQ(rec.Aantal, 3);
    EXPECT_EQ(rec.Waardering(3).Code, " XY");
    EXPECT_EQ(w.WaarderingNr(Variant("IFR")), 2);
    EXPECT_EQ(w.WaarderingNr(Variant("xy")), 3);
    EXPECT_EQ(w.WaarderingNr(Variant("ABCOM")), 1);  // the last three characters count
    EXPECT_EQ(w.WaarderingNr(Variant("FIS")), -1);
    EXPECT_EQ(waarderingEntry(""), "   |");
    // Loaded once: a second call does not open the table again.
    const int before = dbase.OpenRecordset(db, "Waardering", dbOpenTable);
    dbase.CloseRecordset(db, before);
    w.InitWaarderingen(db);
    EXPECT_EQ(dbase.OpenRecordset(db, "Waardering", dbOpenTable), before);
}

TEST_F(History, TheRecordValidOnTheDate) {
    HistorieRec h = at("A1", makeDate(2021, 12, 31));
    EXPECT_TRUE(h.HistorieOK);
    EXPECT_EQ(h.RecNo, 2);
    EXPECT_EQ(h.Codmut, 2);
    EXPECT_EQ(h.BedNogAct.scaled, 200 * 10000);
    EXPECT_EQ(h.Waardering(1).CumAfschr.scaled, 20 * 10000);
    EXPECT_EQ(h.Waardering(2).CumAfschr.scaled, 21 * 10000);
    EXPECT_EQ(h.Waardering(3).CumAfschr.scaled, 0);  // no XY record: zero figures, code kept
    EXPECT_EQ(h.Waardering(3).Code, " XY");
    EXPECT_EQ(at("A1", makeDate(2021, 7, 1)).RecNo, 2);  // on the day itself
    EXPECT_EQ(at("A1", makeDate(2019, 1, 1)).RecNo, 1);  // before all: the earliest
    EXPECT_EQ(at("A1", makeDate(2026, 1, 1)).RecNo, 3);
    EXPECT_EQ(at("A1", makeDate(2020, 3, 1)).Waardering(1).AanschafDatum.serial, makeDate(2020, 3, 1).serial);
    // Two records of one kind: the later in index order wins.
    EXPECT_EQ(at("A1", makeDate(2026, 1, 1)).Waardering(2).CumAfschr.scaled, 32 * 10000);
}

TEST_F(History, MissingDatesCodesAndValuations) {
    // A booking without a date counts as after every date; as the object's last it is still used.
    HistorieRec h = at("B1", makeDate(2023, 1, 1));
    EXPECT_EQ(h.RecNo, 1);
    EXPECT_EQ(h.DatBoe.serial, 0);
    EXPECT_EQ(h.BedNogAct.scaled, 0);
    EXPECT_EQ(at("B1", makeDate(2025, 1, 1)).RecNo, 2);
    // No valuation records of its own, but others follow its key: found, zero figures.
    EXPECT_TRUE(h.HistorieOK);
    EXPECT_EQ(h.Waardering(1).CumAfschr.scaled, 0);

    // Nothing at all at or after the key in HI_Waardering: the history stays, the lookup fails.
    execute("DELETE FROM HI_Waardering WHERE HW_OgCode = 'C9'");
    rsHW = dbase.OpenRecordset(db, "HI_Waardering", dbOpenTable);
    h = at("B1", makeDate(2025, 1, 1));
    EXPECT_FALSE(h.HistorieOK);
    EXPECT_EQ(h.Melding, "Ob Waardering-records zijn niet aanwezig");
    EXPECT_EQ(h.RecNo, 2);

    HistorieRec none = at("Q1", makeDate(2025, 1, 1));
    EXPECT_FALSE(none.HistorieOK);
    EXPECT_EQ(none.Melding, "Van dit object is geen historie aanwezig");
    EXPECT_EQ(none.Aantal, 3);

    HistorieRec noSlots = w.LeesHistorie(db, 0, rsHW, Variant("A1"), Variant("X"), 1, makeDate(2025, 1, 1), false);
    EXPECT_FALSE(noSlots.HistorieOK);
    EXPECT_EQ(noSlots.Melding, "");
}

TEST_F(History, TheLastObjectInTheIndexBookedOnlyLater) {
    // Its records lie after the date and nothing follows them in the table: the
    // earliest record is used, as for every other asset.
    HistorieRec h = at("C9", makeDate(2025, 12, 31));
    EXPECT_TRUE(h.HistorieOK) << h.Melding;
    EXPECT_EQ(h.RecNo, 7);
    EXPECT_EQ(h.Waardering(1).CumAfschr.scaled, 77 * 10000);
}

TEST_F(History, CodesInLowerCaseHaveNoHistory) {
    execute("UPDATE Historie SET OGCODE = 'a1' WHERE OGCODE = 'A1'");
    const int rs = dbase.OpenRecordset(db, "Historie", dbOpenTable);
    const HistorieRec h = w.LeesHistorie(db, rs, rsHW, Variant("a1"), Variant("x"), 1, makeDate(2025, 1, 1), false);
    EXPECT_EQ(h.Melding, "Van dit object is geen historie aanwezig");
}

TEST_F(History, SeveralDatesAtOnceAnswerAsEachDateAlone) {
    // A record of B1 in lower case ends its run; an amount that is no number
    // makes the lookups that use its record fail, not the others.
    execute(
        "INSERT INTO Historie (OGCODE,ICCODE,VLGNUM,RECNO,DatBoe) VALUES ('b1','X',1,9,'2000-01-01');"
        "INSERT INTO Historie (OGCODE,ICCODE,VLGNUM,RECNO,DatBoe,BedNogAct) VALUES ('D1','X',1,4,'2022-01-01',4),"
        " ('D1','X',1,6,'2010-01-01','veel');");
    rsH = dbase.OpenRecordset(db, "Historie", dbOpenTable);
    const std::vector<Date> dates{makeDate(2019, 1, 1), makeDate(2021, 12, 31), makeDate(2021, 7, 1),
                                  makeDate(2026, 1, 1), makeDate(2023, 1, 1),   makeDate(2021, 12, 31)};
    int failures = 0;
    for (const char* og : {"A1", "B1", "C9", "D1", "Q1"}) {
        const std::vector<HistorieRec> all = w.LeesHistorie(db, rsH, rsHW, Variant(og), Variant("x"), 1, dates);
        ASSERT_EQ(all.size(), dates.size());
        for (std::size_t k = 0; k < dates.size(); ++k) {
            SCOPED_TRACE(std::string(og) + " date " + std::to_string(k));
            const HistorieRec one = at(og, dates[k]);
            EXPECT_EQ(all[k].HistorieOK, one.HistorieOK);
            EXPECT_EQ(all[k].Melding, one.Melding);
            EXPECT_EQ(all[k].RecNo, one.RecNo);
            EXPECT_EQ(all[k].DatBoe.serial, one.DatBoe.serial);
            EXPECT_EQ(all[k].Codmut, one.Codmut);
            EXPECT_EQ(all[k].BedNogAct.scaled, one.BedNogAct.scaled);
            ASSERT_EQ(all[k].Waarderingen.size(), one.Waarderingen.size());
            for (std::size_t v = 0; v < one.Waarderingen.size(); ++v) {
                EXPECT_EQ(all[k].Waarderingen[v].Code, one.Waarderingen[v].Code);
                EXPECT_EQ(all[k].Waarderingen[v].CumAfschr.scaled, one.Waarderingen[v].CumAfschr.scaled);
            }
            if (one.Melding == "Database is niet benaderbaar") ++failures;
        }
    }
    // D1 before 2022 uses the record with the bad amount; from 2022 on the other.
    EXPECT_EQ(at("D1", makeDate(2023, 1, 1)).RecNo, 4);
    EXPECT_EQ(failures, 4);
    EXPECT_EQ(at("B1", makeDate(2019, 1, 1)).RecNo, 2);  // b1's record ends B1's records
}
