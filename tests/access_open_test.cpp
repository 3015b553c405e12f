// Real Access files through the database layer, as the user opens them: the
// values and types a recordset gives, the password question on a real file,
// the file's own indexes.

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

TEST(AccessOpen, TableValuesAndPasswordQuestionOnRealFiles) {
    ZELK_NEEDS_FIXTURES();
    for (const char* file : {"V2003-test.mdb", "V1997-test.mdb", "V2010-test.accdb"}) {
        SCOPED_TRACE(file);
        Layer l;
        std::string password = "vastactiva";
        const int db = l.open(access_test::fixture(file), password);
        ASSERT_GT(db, 0);
        const int rs = l.dbase.OpenRecordset(db, "SELECT * FROM Table1 WHERE A = 'ABCDEFG'", dbOpenDynaset);
        ASSERT_GT(rs, 0);  // text compares without regard to case, as in Jet
        const Recordset& r = l.dbase.RsObject(db, rs);
        EXPECT_EQ(r.Field("B"), Variant("hijklmnop"));
        EXPECT_EQ(r.Field("D"), Variant(std::int16_t{222}));
        EXPECT_EQ(r.Field("E"), Variant(std::int32_t{333333333}));
        EXPECT_EQ(r.Field("F"), Variant(444.555));
        EXPECT_EQ(r.Field("G"), Variant(makeDate(1974, 9, 21)));
        EXPECT_EQ(r.Field("H"), Variant(Currency{35000}));
        EXPECT_EQ(r.Field("I"), Variant(true));
    }
    const std::string protectedFile = access_test::fixture("V2003_with-password.mdb");
    {
        Layer l;
        l.platform.msgBoxAnswers = {vbYes};
        l.platform.inputAnswers = {std::string("password")};
        std::string password = "vastactiva";
        EXPECT_EQ(l.open(protectedFile, password), 1);
        EXPECT_EQ(password, "password");  // what the caller finds afterwards
        EXPECT_EQ(l.platform.asked[0].title, "Wilt u een wachtwoord opgeven?");
    }
    {
        Layer l;
        l.platform.msgBoxAnswers = {vbNo};
        std::string password = "vastactiva";
        EXPECT_EQ(l.open(protectedFile, password), -1);
        EXPECT_EQ(l.platform.asked.back().title, "Open Database: Fout");
    }
}

TEST(AccessOpen, EncryptedFileIsAnErrorWithoutAQuestionLoop) {
    ZELK_NEEDS_FIXTURES();
    // Encrypted data cannot be read with any password.
    Layer l;
    std::string password = "password";
    EXPECT_EQ(l.open(access_test::fixture("V2010_with-password.accdb"), password), -1);
    EXPECT_NE(l.platform.asked.back().prompt.find("3343"), std::string::npos);
    EXPECT_EQ(l.platform.asked.size(), 1u);
}

TEST(AccessOpen, DescendingIndexOrderAndSeek) {
    ZELK_NEEDS_FIXTURES();
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
