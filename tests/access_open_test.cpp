// Access files through the database layer, as the user opens them: the copy
// in memory, table recordsets on the file's indexes, and stored queries that
// live only for the run. (The password question: the slot layer's and the
// main window's tests.)

#include <gtest/gtest.h>

#include "access_test_util.h"
#include "database/dbase.h"
#include "messages/alg.h"
#include "platform/scripted_platform.h"

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

TEST(AccessOpen, StoredQueriesLiveInTheCopyAndEncryptedFilesAreRefused) {
    const std::string file = access_test::fixture("V2003_no-password.mdb");
    {
        Layer l;
        std::string password = "vastactiva";  // a file without a password opens with any
        const int db = l.open(file, password);
        ASSERT_EQ(db, 1);
        EXPECT_TRUE(l.platform.asked.empty());
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
    r.SetIndex("CD_AGENTE");  // the file's own name for its index
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
