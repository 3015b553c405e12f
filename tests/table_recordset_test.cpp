// Table recordsets served by statements over the indexes, held against the
// whole table read into memory and sorted: every index (ascending and
// descending columns, NULLs, codes in mixed case, equal keys), every move
// and Seek with every comparison on every prefix of every record's key.
// Dynasets that step through their statement.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "database/dynaset_recordset.h"
#include "database/materialized_recordset.h"
#include "database/row_store.h"
#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "database/table_index.h"
#include "database/table_recordset.h"
#include "support/checks.h"
#include "support/test_files.h"

using namespace zelk;
using namespace zelk::testing;

namespace {

const char* const kSchema = R"SQL(
CREATE TABLE T (id INTEGER, code TEXT COLLATE NOCASE, sub TEXT COLLATE NOCASE, n INTEGER, d DATETIME, amount CURRENCY);
CREATE INDEX Keyed ON T (code, sub, n, d DESC);
CREATE INDEX NumberFirst ON T (n DESC, code);
CREATE INDEX ByDate ON T (d, code DESC, amount);
CREATE TABLE K (k TEXT COLLATE NOCASE PRIMARY KEY, id INTEGER);
CREATE TABLE R (id INTEGER PRIMARY KEY, v TEXT);
CREATE TABLE C (id INTEGER, k TEXT);
CREATE INDEX CaseKept ON C (k);
)SQL";

// Rows in a scrambled stored order, with repeats of whole keys.
std::string rows() {
    const char* codes[] = {"'a'", "'A'", "'b'", "'ab'", "'Ab'", "NULL", "'B'"};
    const char* subs[] = {"'x'", "'X'", "NULL"};
    const char* numbers[] = {"1", "2", "10", "NULL", "2"};
    const char* dates[] = {"'2020-01-01'", "'2021-06-30'", "NULL", "'2019-12-31 10:00:00'"};
    const char* amounts[] = {"1.5", "NULL", "-3", "1.5"};
    std::string sql;
    for (int k = 0; k < 60; ++k) {
        const int s = (k * 37) % 60;
        sql += "INSERT INTO T VALUES (" + std::to_string(k) + ", " + codes[s % 7] + ", " + subs[s % 3] + ", " +
               numbers[(s / 2) % 5] + ", " + dates[(s / 3) % 4] + ", " + amounts[s % 4] + ");";
    }
    sql += "INSERT INTO K VALUES ('b', 1), ('A', 2), ('c', 3), ('ab', 4), ('Z', 5), ('z1', 6);";
    sql += "INSERT INTO R VALUES (5, 'e'), (2, 'b'), (9, 'i');";
    sql += "INSERT INTO C VALUES (1, 'b'), (2, 'A'), (3, 'a'), (4, 'B');";
    return sql;
}

long idOf(const Recordset& rs) { return rs.Eof() || rs.Bof() ? -1 : rs.Field("id").toLong(); }

std::vector<long> forward(Recordset& rs) {
    std::vector<long> out;
    if (rs.Eof() && rs.Bof()) return out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(idOf(rs));
    return out;
}

std::vector<long> backward(Recordset& rs) {
    std::vector<long> out;
    if (rs.Eof() && rs.Bof()) return out;
    for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious()) out.push_back(idOf(rs));
    return out;
}

// A key with its texts in the other case, which a seek must not tell apart.
Variant otherCase(const Variant& v) {
    if (!v.isString()) return v;
    std::string s = v.str();
    for (char& c : s)
        c = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                        : static_cast<char>(std::toupper(c));
    return Variant(s);
}

struct TableRecordsets : ::testing::Test {
    ScratchDir dir;
    std::unique_ptr<SqliteConnection> db;

    void SetUp() override {
        const std::string path = dir.file("t.db");
        auto c = sqlite::open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite::exec(c.get(), std::string(kSchema) + rows());
        c.reset();
        db = SqliteConnection::open(path, {});
    }

    // The table read whole and sorted in memory: the order to match.
    std::pair<std::unique_ptr<MaterializedRecordset>, std::vector<IndexDefinition>> reference(const std::string& t) {
        auto st = sqlite::prepare(db->connection(), "SELECT * FROM main.\"" + t + "\"");
        RowStore store = RowStore::read(db->connection(), st.get());
        auto indexes = readIndexes(db->connection(), "main", t, store.columns());
        return {std::make_unique<MaterializedRecordset>(std::move(store), indexes), indexes};
    }
};

}  // namespace

TEST_F(TableRecordsets, EveryIndexOrderMoveAndSeekMatchesTheSortedTable) {
    // Also inside a transaction, where a chain's statement stays on its row
    // and reads the next record only when a move reaches it.
    for (const bool inTransaction : {false, true})
        for (const std::string table : {"T", "K", "R"}) {
            SCOPED_TRACE(inTransaction ? "in a transaction" : "outside a transaction");
            std::optional<SqliteConnection::ReadTransaction> transaction;
            if (inTransaction) transaction.emplace(*db);
            auto [ref, indexes] = reference(table);
            auto rs = db->OpenRecordset(table, dbOpenTable);
            ASSERT_NE(dynamic_cast<TableRecordset*>(rs.get()), nullptr) << table;
            EXPECT_EQ(rs->RecordCount(), ref->RecordCount());
            EXPECT_EQ(forward(*rs), forward(*ref)) << table << " in stored order";
            ASSERT_FALSE(indexes.empty());
            for (const IndexDefinition& index : indexes) {
                SCOPED_TRACE(table + "." + index.name);
                ref->SetIndex(index.name);
                rs->SetIndex(index.name);
                EXPECT_EQ(idOf(*rs), idOf(*ref));  // the first record in the new order
                const std::vector<long> order = forward(*ref);
                ASSERT_EQ(forward(*rs), order);
                ASSERT_EQ(backward(*rs), backward(*ref));

                std::vector<std::string> keyNames;
                for (const IndexColumn& c : index.columns) keyNames.push_back(ref->fieldNames()[c.column]);
                int seeks = 0;
                for (ref->MoveFirst(); !ref->Eof(); ref->MoveNext()) {
                    std::vector<Variant> full;
                    for (const auto& n : keyNames) full.push_back(ref->Field(n));
                    const long at = idOf(*ref);
                    for (std::size_t p = 1; p <= full.size(); ++p)
                        for (bool swapCase : {false, true})
                            for (const char* op : {">=", ">", "=", "<=", "<"}) {
                                std::vector<Variant> key(full.begin(), full.begin() + static_cast<long>(p));
                                if (swapCase) key.back() = otherCase(key.back());
                                auto probe = reference(table).first;
                                probe->SetIndex(index.name);
                                probe->Seek(op, key);
                                rs->Seek(op, key);
                                SCOPED_TRACE(std::string(op) + " from record " + std::to_string(at) + ", prefix " +
                                             std::to_string(p));
                                ASSERT_EQ(rs->NoMatch(), probe->NoMatch());
                                ASSERT_EQ(idOf(*rs), idOf(*probe));
                                ASSERT_EQ(rs->Eof(), probe->Eof());
                                // A key in another case finds the record, whose text keeps its own case.
                                if (swapCase && !rs->NoMatch() && !rs->Eof()) {
                                    ASSERT_EQ(rs->Field(keyNames[p - 1]), probe->Field(keyNames[p - 1]));
                                }
                                ASSERT_EQ(rs->Bof(), probe->Bof());
                                // Moving on from the found record, both ways.
                                if (!probe->Eof()) {
                                    probe->MoveNext();
                                    rs->MoveNext();
                                    ASSERT_EQ(idOf(*rs), idOf(*probe));
                                }
                                if (!probe->Bof()) {
                                    probe->MovePrevious();
                                    rs->MovePrevious();
                                    ASSERT_EQ(idOf(*rs), idOf(*probe));
                                }
                                if (!probe->Bof()) {
                                    probe->MovePrevious();
                                    rs->MovePrevious();
                                    ASSERT_EQ(idOf(*rs), idOf(*probe));
                                }
                                ++seeks;
                                if (std::string(op) != ">=" || probe->NoMatch()) continue;
                                // On along the key: its records in order, then
                                // false on the last or on as MoveNext goes.
                                auto along = reference(table).first;
                                along->SetIndex(index.name);
                                along->Seek(">=", key);
                                auto beyond = reference(table).first;
                                beyond->SetIndex(index.name);
                                beyond->Seek(">", key);
                                rs->Seek(">=", key);
                                std::vector<long> onKey, walked{idOf(*rs)};
                                for (; !along->Eof() && idOf(*along) != idOf(*beyond); along->MoveNext())
                                    onKey.push_back(idOf(*along));
                                while (rs->MoveNextOnKey()) walked.push_back(idOf(*rs));
                                ASSERT_GE(walked.size(), onKey.size());
                                // Where the statement stands, it stops right after the key.
                                if (inTransaction) {
                                    ASSERT_EQ(walked.size(), onKey.size());
                                }
                                ASSERT_TRUE(std::equal(onKey.begin(), onKey.end(), walked.begin()));
                                for (std::size_t k = onKey.size(); k < walked.size(); ++k, along->MoveNext())
                                    ASSERT_EQ(walked[k], idOf(*along));
                                ASSERT_EQ(idOf(*rs), walked.back());
                            }
                }
                EXPECT_GT(seeks, 0);
                // Keys that no record holds: before the first and after the last.
                for (const char* op : {">=", "<="}) {
                    for (const Variant& k : {Variant(""), Variant("zzz"), Variant(-1000), Variant(1000)}) {
                        // A text that is no date sorts after the dates in memory, before them in SQLite.
                        if (index.name == "ByDate" && k.isString() && k.str().empty()) continue;
                        auto probe = reference(table).first;
                        probe->SetIndex(index.name);
                        probe->Seek(op, {k});
                        rs->Seek(op, {k});
                        EXPECT_EQ(rs->NoMatch(), probe->NoMatch());
                        EXPECT_EQ(idOf(*rs), idOf(*probe));
                    }
                }
            }
        }
}

TEST_F(TableRecordsets, IndexesThatCompareTextWithCaseAreSortedAsJetDoes) {
    auto rs = db->OpenRecordset("C", dbOpenTable);
    EXPECT_NE(dynamic_cast<MaterializedRecordset*>(rs.get()), nullptr);
    rs->SetIndex("CaseKept");
    EXPECT_EQ(forward(*rs), (std::vector<long>{2, 3, 1, 4}));  // a, A, b, B without regard to case
}

TEST_F(TableRecordsets, DynasetsStepThroughTheirRows) {
    auto rs = db->OpenRecordset("SELECT id, code FROM T WHERE n = 2 ORDER BY id", dbOpenDynaset);
    ASSERT_NE(dynamic_cast<DynasetRecordset*>(rs.get()), nullptr);
    const std::vector<long> ids = forward(*rs);
    ASSERT_GT(ids.size(), 2u);
    EXPECT_EQ(static_cast<std::size_t>(rs->RecordCount()), ids.size());
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(backward(*rs), std::vector<long>(ids.rbegin(), ids.rend()));
    // From past the end back to the last record; fields by position.
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
    }
    EXPECT_EQ(errorOf([&] { rs->Field("id"); }), 3021);
    rs->MovePrevious();
    EXPECT_EQ(rs->fieldAt(rs->fieldIndex("ID")), Variant(static_cast<std::int32_t>(ids.back())));
    EXPECT_EQ(errorOf([&] { rs->fieldIndex("bestaat_niet"); }), 3265);

    auto none = db->OpenRecordset("SELECT id FROM T WHERE 0", dbOpenDynaset);
    EXPECT_TRUE(none->Eof() && none->Bof());
    EXPECT_EQ(none->RecordCount(), 0);
    // Recordsets do not outlive their database.
    auto table = db->OpenRecordset("T", dbOpenTable);
    db->Close();
    EXPECT_EQ(errorOf([&] { rs->MoveFirst(); }), 3420);
    EXPECT_EQ(errorOf([&] { table->Eof(); }), 3420);
}
