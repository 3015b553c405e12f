// Real Access files through the database layer, as the user opens them. (The
// copy in memory with its stored queries and the password question: the slot
// layer's tests with a stand-in reader, and the main window's test.)

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

TEST(AccessOpen, EncryptedFileIsAnErrorWithoutAQuestionLoop) {
    // Encrypted data cannot be read with any password.
    Layer l;
    std::string password = "password";
    EXPECT_EQ(l.open(access_test::fixture("V2010_with-password.accdb"), password), -1);
    EXPECT_NE(l.platform.asked.back().prompt.find("3343"), std::string::npos);
    EXPECT_EQ(l.platform.asked.size(), 1u);
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
