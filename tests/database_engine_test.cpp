// The SQLite engine under the slot layer: opening files of every kind, the
// exports' SQL texts, Jet field names, values by declared type, table
// recordsets in index order with Seek.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <optional>

#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "database_test_support.h"
#include "runtime/dates.h"

using namespace zelk;
using namespace zelk::testing;

namespace {

std::unique_ptr<SqliteConnection> openFile(const std::string& path, bool readOnly = false) {
    OpenOptions o;
    o.readOnly = readOnly;
    o.connect = ";pwd=vastactiva";
    return SqliteConnection::open(path, o);
}

long openError(const std::string& path) {
    return errorOf([&] { openFile(path); });
}

std::unique_ptr<Recordset> open(SqliteConnection& db, const std::string& source, int type = dbOpenDynaset) {
    return db.OpenRecordset(source, type);
}

struct DatabaseEngine : DemoFixture {};

}  // namespace

TEST_F(DatabaseEngine, FilesThatAreNoDatabaseGiveJetErrorsAndStayUntouched) {
    const std::string text = dir.file("notes.mdb");
    writeBytes(text, "Dit is geen database, maar een boodschappenlijst.\n");
    const std::string empty = dir.file("empty.db");
    writeBytes(empty, "");
    const std::string truncated = dir.file("truncated.db");
    writeBytes(truncated, readBytes(demo).substr(0, 40000));
    const std::string header = dir.file("header-only.db");
    writeBytes(header, readBytes(demo).substr(0, 60));
    const std::string fakeAccess = dir.file("fake.mdb");
    writeBytes(fakeAccess, std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(2000, 'x'));

    const auto before = std::vector{FileSnapshot::of(text), FileSnapshot::of(empty), FileSnapshot::of(truncated),
                                    FileSnapshot::of(header), FileSnapshot::of(fakeAccess)};
    EXPECT_EQ(openError(text), 3343);
    EXPECT_EQ(openError(empty), 3343);
    EXPECT_EQ(openError(truncated), 3049);
    EXPECT_EQ(openError(header), 3049);
    EXPECT_EQ(openError(fakeAccess), 3343);  // no Access reader given
    EXPECT_EQ(openError(dir.path().string()), 3055);
    EXPECT_EQ(openError(dir.file("sub/")), 3055);
    EXPECT_EQ(openError(""), 3055);
    EXPECT_EQ(openError(dir.file("missing.db")), 3024);
    EXPECT_EQ(openError(dir.file("no-such-folder/missing.db")), 3044);
    EXPECT_EQ(openError(text + "/inside.db"), 3044);  // a file used as a folder
    EXPECT_EQ(errorOf([&] {
                  OpenOptions o;
                  o.connect = "Text;pwd=x";
                  SqliteConnection::open(demo, o);
              }),
              3170);
    const auto after = std::vector{FileSnapshot::of(text), FileSnapshot::of(empty), FileSnapshot::of(truncated),
                                   FileSnapshot::of(header), FileSnapshot::of(fakeAccess)};
    EXPECT_TRUE(before == after);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.db")));  // opening never creates a file

    const std::string locked = dir.file("locked.db");
    writeBytes(locked, readBytes(demo));
#ifndef _WIN32  // a file nobody may read: Windows says so with an access list
    ::chmod(locked.c_str(), 0);
    if (::geteuid() != 0) {  // root reads every file
        EXPECT_EQ(openError(locked), 3051);
    }
#endif
}

TEST_F(DatabaseEngine, ReadingNeverWritesTheFile) {
    const FileSnapshot before = FileSnapshot::of(demo);
    {
        auto db = openFile(demo);
        EXPECT_FALSE(db->fileIsReadOnly());
        for (const char* t : {"Eigenaar", "OG", "Categori", "IC", "IC_Waardering", "OB", "OB_Waardering", "Waardering",
                              "Historie", "HI_Waardering"}) {
            auto rs = open(*db, t, dbOpenTable);
            EXPECT_GT(rs->RecordCount(), 0) << t;
        }
        EXPECT_GT(open(*db, movableAssetsSql())->RecordCount(), 0);
        // Statements that write are refused as recordsets.
        EXPECT_EQ(errorOf([&] { open(*db, "DELETE FROM OB"); }), 3219);
        EXPECT_EQ(errorOf([&] { open(*db, "SELECT 1; DELETE FROM OB"); }), 3219);
        db->Close();
        EXPECT_EQ(errorOf([&] { db->Close(); }), 3420);
        EXPECT_EQ(errorOf([&] { open(*db, "OB"); }), 3420);
    }
    EXPECT_TRUE(FileSnapshot::of(demo) == before);
}

TEST_F(DatabaseEngine, ReadOnlyFilesKeepStoredQueriesInTheSession) {
    execOn(demo, "CREATE VIEW OudeQuery AS SELECT CODE FROM Eigenaar");
    const FileSnapshot withStats = FileSnapshot::of(demo);
    {
        auto db = openFile(demo, true);
        EXPECT_TRUE(db->fileIsReadOnly());
        EXPECT_FALSE(db->isCopy());  // it has statistics: read in place
        EXPECT_EQ(errorOf([&] { db->CreateQueryDef("OudeQuery", "SELECT NAAM FROM Eigenaar"); }), 3012);
        db->DeleteQueryDef("OudeQuery");
        db->CreateQueryDef("OudeQuery", "SELECT NAAM AS Naam2 FROM Eigenaar;  ");
        auto rs = open(*db, "OudeQuery");
        EXPECT_EQ(rs->fieldNames(), std::vector<std::string>{"Naam2"});
        EXPECT_EQ(errorOf([&] { db->DeleteQueryDef("Eigenaar"); }), 3265);
    }
    EXPECT_TRUE(FileSnapshot::of(demo) == withStats);

    execOn(demo, "DROP TABLE sqlite_stat1");
    const FileSnapshot withoutStats = FileSnapshot::of(demo);
    {
        auto db = openFile(demo, true);
        EXPECT_TRUE(db->isCopy());  // copied and analysed in a temporary file
        EXPECT_TRUE(db->hasStatistics());
        db->CreateQueryDef("OG_WVW", ogWvwSql());
        EXPECT_GT(open(*db, categoryMappingSql())->RecordCount(), 0);
    }
    EXPECT_TRUE(FileSnapshot::of(demo) == withoutStats);
}

TEST_F(DatabaseEngine, WritableFileGetsStatisticsOnlyWithItsFirstStoredQuery) {
    execOn(demo, "DROP TABLE sqlite_stat1");
    auto db = openFile(demo);
    EXPECT_FALSE(db->hasStatistics());
    open(*db, movableAssetsSql());
    EXPECT_FALSE(db->hasStatistics());
    db->CreateQueryDef("OG_WVW", ogWvwSql());
    EXPECT_TRUE(db->hasStatistics());
    EXPECT_TRUE(db->QueryDefExists("og_wvw"));
    EXPECT_EQ(errorOf([&] { db->CreateQueryDef("OG_WVW", ogWvwSql()); }), 3012);
    EXPECT_EQ(errorOf([&] { db->CreateQueryDef("Historie", "SELECT 1"); }), 3012);  // a table's name
    EXPECT_EQ(errorOf([&] { db->CreateQueryDef("Q2", "SELECT 1; DROP TABLE OB"); }), 3142);
    EXPECT_EQ(errorOf([&] { db->CreateQueryDef("Q3", "SELEKT * FROM OB"); }), 3075);
    EXPECT_GT(open(*db, "OB", dbOpenTable)->RecordCount(), 0);
}

TEST_F(DatabaseEngine, ExportQueriesRunUnchangedWithJetFieldNames) {
    auto db = openFile(demo);
    db->CreateQueryDef("OG_WVW", ogWvwSql());

    auto movable = open(*db, movableAssetsSql());
    ASSERT_GT(movable->RecordCount(), 20);
    const auto names = movable->fieldNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "OB.NAAM"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Eigenaar.NAAM"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "NAAM"), names.end());
    EXPECT_EQ(errorOf([&] { movable->Field("NAAM"); }), 3265);  // doubled: only by table
    EXPECT_EQ(errorOf([&] { movable->Field("Bestaat_niet"); }), 3265);
    // Text compares without regard to case, as in Jet: "Onr" is immovable too.
    bool sawOwner = false;
    for (movable->MoveFirst(); !movable->Eof(); movable->MoveNext()) {
        const std::string kind = upper(displayText(movable->Field("CT_SOORT")));
        EXPECT_TRUE(kind != "GR" && kind != "ONR" && kind != "ERF" && !kind.empty()) << kind;
        EXPECT_EQ(movable->Field("OW_HuidigeWaarde").type(), VarType::Currency);
        EXPECT_EQ(movable->Field("VLGNUM").type(), VarType::Long);
        const Variant bought = movable->Field("OW_AanschafDatum");
        EXPECT_TRUE(bought.isNull() || bought.type() == VarType::Date);
        const Variant huur = movable->Field("OG_Huur");
        EXPECT_TRUE(huur.isNull() || huur.type() == VarType::Integer);
        const Variant pct = movable->Field("IW_Afschr_Percentage");
        EXPECT_TRUE(pct.isNull() || pct.type() == VarType::Double);
        if (!movable->Field("Eigenaar.NAAM").isNull()) sawOwner = true;
    }
    EXPECT_TRUE(sawOwner);

    bool sawOnr = false;
    auto immovable = open(*db, immovableAssetsSql());
    ASSERT_GT(immovable->RecordCount(), 5);
    for (; !immovable->Eof(); immovable->MoveNext()) {
        const std::string kind = upper(immovable->Field("CT_SOORT").str());
        EXPECT_TRUE(kind == "GR" || kind == "ONR" || kind == "ERF") << kind;
        sawOnr |= immovable->Field("CT_SOORT").str() == "Onr";
    }
    EXPECT_TRUE(sawOnr);
    EXPECT_GT(open(*db, categoryMappingSql())->RecordCount(), 20);
    // Stored as a query and opened by name, the doubled columns keep their names.
    db->CreateQueryDef("Export1a", movableAssetsSql());
    auto stored = open(*db, "Export1a");
    EXPECT_EQ(stored->RecordCount(), movable->RecordCount());
    EXPECT_EQ(stored->fieldNames(), movable->fieldNames());
    stored->MoveLast();
    movable->MoveLast();
    EXPECT_EQ(stored->Field("eigenaar.naam"), movable->Field("Eigenaar.NAAM"));
    EXPECT_EQ(stored->Field("OB.NAAM"), movable->Field("OB.NAAM"));

    // The stored query itself, opened by name.
    auto grouping = open(*db, "OG_WVW");
    EXPECT_EQ(grouping->fieldNames(), (std::vector<std::string>{"OGCODE Veld", "SomVanOW_HuidigeWaarde", "OG_WVW"}));
}

TEST_F(DatabaseEngine, ValuesFollowTheDeclaredTypes) {
    const std::string path = dir.file("types.db");
    execOn(path,
           "CREATE TABLE T (t TEXT, l INTEGER, s SMALLINT, f SINGLE, d DOUBLE, c CURRENCY, dt DATETIME, tm TIME, "
           "b BOOLEAN, x, v VARCHAR(20), y BYTE);"
           "INSERT INTO T VALUES ('tekst', 70000, -3, 1.5, 2.25, 12.345, '2021-07-01', '14:30:05', 1, 9, 'v', 200);"
           "INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, 7, '2021-07-01 08:15:00', NULL, 0, 'tekst', NULL, 0);"
           "INSERT INTO T VALUES ('a', 5000000000, 40000, NULL, NULL, 'abc', 'gisteren', NULL, NULL, 2.5, NULL, 0);");
    auto db = openFile(path);
    auto rs = open(*db, "SELECT *, l + 1 AS som, First(t) AS eerste FROM T GROUP BY rowid ORDER BY rowid");
    const auto expectFields = [&](std::initializer_list<std::pair<const char*, Variant>> fields) {
        for (const auto& [name, value] : fields) EXPECT_EQ(rs->Field(name), value) << name;
    };
    // y: an Access byte.
    expectFields({{"t", "tekst"}, {"l", std::int32_t{70000}}, {"s", std::int16_t{-3}}, {"f", 1.5f}, {"d", 2.25}});
    expectFields({{"c", Currency{123450}}, {"dt", makeDate(2021, 7, 1)}, {"tm", makeTime(14, 30, 5)}, {"b", true}});
    expectFields({{"x", std::int32_t{9}}, {"v", "v"}, {"y", std::int16_t{200}}, {"som", std::int32_t{70001}}});
    expectFields({{"eerste", "tekst"}});
    rs->MoveNext();
    for (const char* f : {"t", "l", "s", "f", "d", "tm", "v", "eerste"}) EXPECT_TRUE(rs->Field(f).isNull()) << f;
    expectFields({{"c", Currency{70000}}, {"dt", makeDateTime({2021, 7, 1, 8, 15, 0})}, {"b", false}, {"x", "tekst"}});
    rs->MoveNext();
    EXPECT_EQ(errorOf([&] { rs->Field("l"); }), 6);    // beyond a Long
    EXPECT_EQ(errorOf([&] { rs->Field("s"); }), 6);    // beyond an Integer
    EXPECT_EQ(errorOf([&] { rs->Field("c"); }), 13);   // no number
    EXPECT_EQ(errorOf([&] { rs->Field("dt"); }), 13);  // no date
    EXPECT_EQ(rs->Field("x"), Variant(2.5));
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(errorOf([&] { rs->Field("t"); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), 3021);
    for (int k = 0; k < 3; ++k) rs->MovePrevious();
    EXPECT_EQ(rs->Field("t"), Variant("tekst"));
    EXPECT_FALSE(rs->Bof());
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(errorOf([&] { rs->MovePrevious(); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->SetIndex("x"); }), 3251);  // no index on a dynaset

    auto none = open(*db, "SELECT * FROM T WHERE 0");
    EXPECT_TRUE(none->Eof() && none->Bof());
    EXPECT_EQ(errorOf([&] { none->MoveLast(); }), 3021);
    EXPECT_EQ(errorOf([&] { open(*db, "Tabel_bestaat_niet"); }), 3078);
    EXPECT_EQ(errorOf([&] { open(*db, "SELECT * FROM Tabel_bestaat_niet"); }), 3078);
    EXPECT_EQ(errorOf([&] { open(*db, "SELECT onbekend FROM T"); }), 3061);
    EXPECT_EQ(errorOf([&] { open(*db, "Tabel_bestaat_niet", dbOpenTable); }), 3078);
}

TEST_F(DatabaseEngine, SumAddsUpAsJetDoes) {
    auto db = openFile(demo);
    const auto sum = [&](const std::string& values) {
        return open(*db, "SELECT Sum(x) AS s FROM (SELECT NULL AS x UNION ALL " + values + ")")->Field("s");
    };
    EXPECT_EQ(sum("SELECT 1 UNION ALL SELECT 2"), Variant(std::int32_t{3}));
    EXPECT_TRUE(sum("SELECT NULL").isNull());
    // Fractions add up in row order, as SQLite's own sum and Jet's do: the totals stay as they were.
    EXPECT_EQ(sum("SELECT 0.1 UNION ALL SELECT 0.2 UNION ALL SELECT 0.3"), Variant(0.1 + 0.2 + 0.3));
    // A number written as text is a number; any other text or a blob is no amount.
    EXPECT_EQ(sum("SELECT '2.5' UNION ALL SELECT 1"), Variant(3.5));
    EXPECT_EQ(errorOf([&] { sum("SELECT 1 UNION ALL SELECT '12,50'"); }), 13);
    EXPECT_EQ(errorOf([&] { sum("SELECT x'31'"); }), 13);
    EXPECT_EQ(errorOf([&] { sum("SELECT 9223372036854775807 UNION ALL SELECT 1"); }), 6);
}

TEST_F(DatabaseEngine, ARunawayStepIsStoppedByItsBudgetOrWhenTold) {
    const std::string endless =
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) AS n FROM c";
    OpenOptions o;
    int asked = 0;
    o.work.stopReason = [&]() -> std::optional<std::string> {
        if (++asked < 100) return std::nullopt;
        return "Gestopt op verzoek van de gebruiker";
    };
    auto told = SqliteConnection::open(demo, o);
    try {
        told->OpenRecordset(endless, dbOpenDynaset);
        ADD_FAILURE() << "an endless query ended";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 3059);
        EXPECT_EQ(e.description(), "Gestopt op verzoek van de gebruiker");
    }
    EXPECT_EQ(asked, 100);

    // Nobody to stop it: its step's budget does, long before the minute an
    // unattended run would wait for it.
    auto db = openFile(demo);
    const auto start = std::chrono::steady_clock::now();
    try {
        db->OpenRecordset(endless, dbOpenDynaset);
        ADD_FAILURE() << "an endless query ended";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 3035);
        EXPECT_NE(e.description().find("niet eindigt"), std::string::npos) << e.description();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    // The connection goes on; a statement of many short steps, more work
    // in all than one step may take, is no runaway.
    EXPECT_EQ(sqlite::stepBudget(1), 100000000u);
    auto rows = open(*db,
                     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
                     "SELECT x, (SELECT sum(VLGNUM) FROM OB WHERE VLGNUM <> x) AS s FROM c");
    long n = 0;
    for (; !rows->Eof(); rows->MoveNext()) ++n;
    EXPECT_EQ(n, 100000);
}

TEST_F(DatabaseEngine, AValueBeyondTheLimitIsRefusedNotRead) {
    execOn(demo, "CREATE TABLE Foto (id INTEGER, beeld BLOB); INSERT INTO Foto VALUES (1, zeroblob(" +
                     std::to_string(sqlite::kMaxValueBytes + 1) + ")), (2, zeroblob(1000));");
    auto db = openFile(demo);
    EXPECT_EQ(open(*db, "SELECT length(beeld) AS n FROM Foto WHERE id = 2")->Field("n"), Variant(std::int32_t{1000}));
    try {
        open(*db, "SELECT beeld FROM Foto ORDER BY id");
        ADD_FAILURE() << "read a value beyond the limit";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 3035);
        EXPECT_NE(e.description().find("groter dan 4 MB"), std::string::npos) << e.description();
    }
}

TEST_F(DatabaseEngine, TableRecordsetsRunInIndexOrderAndSeek) {
    const std::string path = dir.file("history.db");
    execOn(path,
           "CREATE TABLE H (OGCODE TEXT COLLATE NOCASE, ICCODE TEXT COLLATE NOCASE, VLGNUM INTEGER, RECNO INTEGER, "
           "DatBoe DATETIME);"
           "CREATE INDEX OgCodRev ON H (OGCODE, ICCODE, VLGNUM, DatBoe DESC);"
           "CREATE TABLE P (K TEXT PRIMARY KEY, V INTEGER);"
           "INSERT INTO P VALUES ('b', 2), ('A', 1), ('c', 3);"
           // stored out of order, one object in lower case, a booking without date, two on one day
           "INSERT INTO H VALUES ('G2', '0100', 1, 10, '2020-03-01');"
           "INSERT INTO H VALUES ('G1', '0200', 2, 1, '2020-03-01');"
           "INSERT INTO H VALUES ('G1', '0200', 2, 2, NULL);"
           "INSERT INTO H VALUES ('G1', '0200', 2, 3, '2023-01-01');"
           "INSERT INTO H VALUES ('G1', '0200', 2, 4, '2021-07-01');"
           "INSERT INTO H VALUES ('g1', '0200', 10, 5, '2019-05-05');"
           "INSERT INTO H VALUES ('G1', '0200', 3, 6, '2022-02-02');"
           "INSERT INTO H VALUES ('G1', '0200', 3, 7, '2022-02-02');"
           "INSERT INTO H VALUES ('G0', '0999', 9, 8, '2024-12-31');");
    auto db = openFile(path);
    auto rs = open(*db, "H", dbOpenTable);
    EXPECT_EQ(errorOf([&] { rs->Seek(">=", {Variant("G1")}); }), 3019);
    EXPECT_EQ(errorOf([&] { rs->SetIndex("Bestaat_niet"); }), 3800);
    rs->SetIndex("OgCodRev");
    std::vector<long> order;
    for (; !rs->Eof(); rs->MoveNext()) order.push_back(rs->Field("RECNO").toLong());
    // per object the latest booking first, the undated one last; VLGNUM 10 after 3 (numbers, not text)
    EXPECT_EQ(order, (std::vector<long>{8, 3, 4, 1, 2, 6, 7, 5, 10}));

    // Keys of object G1/0200 with a sequence number and perhaps a date.
    const auto g1 = [](std::int32_t vlgnum) { return std::vector{Variant("G1"), Variant("0200"), Variant(vlgnum)}; };
    const auto g1On = [](std::int32_t vlgnum, Date d) {
        return std::vector{Variant("G1"), Variant("0200"), Variant(vlgnum), Variant(d)};
    };
    const auto seekRecno = [&](const std::string& op, std::vector<Variant> keys) -> long {
        rs->Seek(op, keys);
        return rs->NoMatch() ? -1 : rs->Field("RECNO").toLong();
    };
    // Keys no record holds (every stored key is sought in table_recordset_test):
    // 1 January 2022, as of which the record of 1 July 2021 holds; before every
    // booking the undated record, then the next object; an object without records.
    EXPECT_EQ(seekRecno(">=", g1On(2, makeDate(2022, 1, 1))), 4);
    EXPECT_EQ(seekRecno(">=", g1On(2, makeDate(2019, 1, 1))), 2);
    rs->MoveNext();
    EXPECT_EQ(rs->Field("RECNO").toLong(), 6);
    EXPECT_EQ(seekRecno(">=", g1(4)), 5);
    EXPECT_EQ(seekRecno("=", g1(4)), -1);
    EXPECT_EQ(errorOf([&] { rs->Seek("<>", {Variant("G1")}); }), 3001);

    auto p = open(*db, "P", dbOpenTable);
    p->SetIndex("primarykey");
    std::string keys;
    for (; !p->Eof(); p->MoveNext()) keys += p->Field("K").str();
    EXPECT_EQ(keys, "Abc");
    EXPECT_EQ(errorOf([&] { open(*db, "SELECT * FROM P")->Seek(">=", {Variant("A")}); }), 3251);
    p->Close();
    EXPECT_EQ(errorOf([&] { p->Eof(); }), 3420);
}

TEST_F(DatabaseEngine, ACountedDynasetServesEveryMoveAsTheSelectWould) {
    // Enough rows for several blocks of the spool, with every kind of stored
    // value, texts of every length among them.
    const std::string path = dir.file("spool.db");
    execOn(path,
           "CREATE TABLE T (id INTEGER, t TEXT, d DOUBLE, b BLOB, x);"
           "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
           "INSERT INTO T SELECT i, CASE WHEN i % 7 = 0 THEN NULL ELSE printf('%.*c€', i % 300, 'a') END, "
           "i / 3.0, CASE WHEN i % 5 = 0 THEN x'00ff10' END, "
           "CASE i % 4 WHEN 0 THEN i WHEN 1 THEN 'ü' || i WHEN 2 THEN i * 0.5 END FROM n;");
    auto db = openFile(path);
    const std::string sql = "SELECT * FROM T ORDER BY id DESC";
    auto counted = open(*db, sql);
    ASSERT_EQ(counted->RecordCount(), 401);
    const auto fields = counted->fieldNames();
    // The records in order as an uncounted dynaset reads them from the select.
    std::vector<std::vector<Variant>> expected;
    for (auto plain = open(*db, sql); !plain->Eof(); plain->MoveNext()) {
        expected.emplace_back();
        for (const auto& f : fields) expected.back().push_back(plain->Field(f));
    }
    ASSERT_EQ(expected.size(), 401u);
    const auto at = [&](std::size_t k) {
        for (std::size_t c = 0; c < fields.size(); ++c)
            ASSERT_EQ(counted->Field(fields[c]), expected[k][c]) << "record " << k << ", " << fields[c];
    };
    counted->MoveLast();
    at(400);
    for (std::size_t k = 400; k-- > 120;) {  // back across block boundaries
        counted->MovePrevious();
        at(k);
    }
    counted->MoveFirst();
    for (std::size_t k = 0; k < 401; ++k, counted->MoveNext()) at(k);
    EXPECT_TRUE(counted->Eof());
    EXPECT_EQ(errorOf([&] { counted->MoveNext(); }), 3021);
    counted->MovePrevious();
    at(400);

    // Counted after the first records were passed: those come from the select
    // again, the rest from what the count kept.
    auto late = open(*db, sql);
    for (int k = 0; k < 200; ++k) late->MoveNext();
    ASSERT_EQ(late->RecordCount(), 401);
    late->MoveFirst();
    for (std::size_t k = 0; k < 401; ++k, late->MoveNext())
        ASSERT_EQ(late->Field("x"), expected[k][4]) << "record " << k;
}
