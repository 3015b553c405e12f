// Access files through the database layer, as the user opens them: the copy
// in memory, the password question, table recordsets on the file's indexes,
// and stored queries that live only for the run.

#include <gtest/gtest.h>

#include "access_test_util.h"
#include "database/dbase.h"
#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"

using namespace zelk;

namespace {

struct Layer {
    ScriptedPlatform platform;
    Alg alg{platform};
    Dbase dbase{platform, alg};
    int open(const std::string& file, std::string& password) {
        std::string name = file;
        return dbase.OpenDatabase(name, "", password, true, "", false, false);
    }
};

}  // namespace

TEST(AccessOpen, TablesReadBackWithTheirTypes) {
    for (const char* file : {"V2003-test.mdb", "V1997-test.mdb", "V2010-test.accdb"}) {
        SCOPED_TRACE(file);
        Layer l;
        std::string password = "vastactiva";
        const int db = l.open(access_test::fixture(file), password);
        ASSERT_GT(db, 0);
        const int rs = l.dbase.OpenRecordset(db, "SELECT * FROM Table1 WHERE A = 'abcdefg'", dbOpenDynaset);
        ASSERT_GT(rs, 0);
        Recordset& r = l.dbase.RsObject(db, rs);
        ASSERT_FALSE(r.Eof());
        EXPECT_EQ(r.Field("A"), Variant("abcdefg"));
        EXPECT_EQ(r.Field("B"), Variant("hijklmnop"));
        EXPECT_EQ(r.Field("C").toLong(), 2);
        EXPECT_EQ(r.Field("D").type(), VarType::Integer);
        EXPECT_EQ(r.Field("D").toLong(), 222);
        EXPECT_EQ(r.Field("E"), Variant(std::int32_t{333333333}));
        EXPECT_EQ(r.Field("F"), Variant(444.555));
        EXPECT_EQ(r.Field("G"), Variant(makeDate(1974, 9, 21)));
        EXPECT_EQ(r.Field("H"), Variant(Currency{35000}));
        EXPECT_EQ(r.Field("I"), Variant(true));
        // Jet compares text without regard to case.
        const int rs2 = l.dbase.OpenRecordset(db, "SELECT count(*) AS n FROM Table1 WHERE A = 'ABCDEFG'", dbOpenDynaset);
        EXPECT_EQ(l.dbase.RsObject(db, rs2).Field("n").toLong(), 1);
        l.dbase.CloseDatabase(db);
    }
}

TEST(AccessOpen, PasswordQuestionAndStoredQueriesOfTheRun) {
    const std::string file = access_test::fixture("V2003_with-password.mdb");
    {
        Layer l;
        l.platform.msgBoxAnswers = {vbYes};
        l.platform.inputAnswers = {std::string("password")};
        std::string password = "vastactiva";
        const int db = l.open(file, password);
        ASSERT_EQ(db, 1);
        EXPECT_EQ(password, "password");
        EXPECT_EQ(l.platform.asked[0].prompt, "Database is wachtwoord beveiligd");
        EXPECT_EQ(l.platform.asked[1].style, 1);  // masked
        EXPECT_EQ(l.platform.asked[1].preset, "");
        EXPECT_EQ(l.platform.asked[1].title.find("password"), std::string::npos);

        // A stored query lives in the copy for the rest of the run; the file is not written.
        const auto before = zelk::testing::readBytes(file);
        EXPECT_TRUE(l.dbase.Create_Query(db, "Drie", "SELECT * FROM Table1 WHERE ID = 3;", false, false));
        const int rs = l.dbase.OpenRecordset(db, "Drie", dbOpenDynaset);
        ASSERT_GT(rs, 0);
        EXPECT_EQ(l.dbase.RsObject(db, rs).Field("Data"), Variant("Three"));
        EXPECT_EQ(zelk::testing::readBytes(file), before);
        EXPECT_NE(l.alg.screen().text().find("alleen-lezen geopend"), std::string::npos);
    }
    {
        Layer l;
        l.platform.msgBoxAnswers = {vbNo};
        std::string password = "vastactiva";
        EXPECT_EQ(l.open(file, password), -1);
        EXPECT_EQ(l.platform.asked.back().title, "Open Database: Fout");
        EXPECT_NE(l.platform.asked.back().prompt.find("3031"), std::string::npos);
    }
    {
        // Encrypted data cannot be read with any password: a clean error, no question loop.
        Layer l;
        std::string password = "password";
        EXPECT_EQ(l.open(access_test::fixture("V2010_with-password.accdb"), password), -1);
        EXPECT_NE(l.platform.asked.back().prompt.find("3343"), std::string::npos);
    }
}

TEST(AccessOpen, DescendingIndexOrderAndSeek) {
    Layer l;
    std::string password = "";
    const int db = l.open(access_test::fixture("V2003-desc-index.mdb"), password);
    ASSERT_GT(db, 0);
    const int rs = l.dbase.OpenRecordset(db, "Table1", dbOpenTable);
    ASSERT_GT(rs, 0);
    Recordset& r = l.dbase.RsObject(db, rs);
    // Whatever the copy named it, the file's index on CD_AGENTE is found under its own name.
    std::string indexName;
    for (const char* name : {"CD_AGENTE", "PrimaryKey", "Index1", "Table1_CD_AGENTE"}) {
        try {
            r.SetIndex(name);
            indexName = name;
            break;
        } catch (const RuntimeError&) {
        }
    }
    ASSERT_FALSE(indexName.empty());
    // Descending: the largest number first; the two empty values sort lowest, so they come last.
    r.MoveFirst();
    double previous = r.Field("CD_AGENTE").toDouble();
    long count = 1, nulls = 0;
    for (r.MoveNext(); !r.Eof(); r.MoveNext(), ++count) {
        const Variant v = r.Field("CD_AGENTE");
        if (v.isNull()) {
            ++nulls;
            continue;
        }
        EXPECT_EQ(nulls, 0) << "a number after an empty value";
        EXPECT_LE(v.toDouble(), previous);
        previous = v.toDouble();
    }
    EXPECT_EQ(count, 512);
    EXPECT_EQ(nulls, 2);
    r.MoveFirst();
    const double top = r.Field("CD_AGENTE").toDouble();
    r.Seek(">=", {Variant(top)});
    ASSERT_FALSE(r.NoMatch());
    EXPECT_EQ(r.Field("CD_AGENTE").toDouble(), top);
}
