// Copying real Access files into SQLite: types, values, indexes, queries,
// passwords, and agreement with what mdb-export prints for every table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "access_test_util.h"
#include "database/access/access_import.h"
#include "runtime/variant.h"

using access_test::fixture;
using access_test::query;
using access_test::ScratchDir;
using zelk::AccessImportResult;
using zelk::importAccessFile;

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kReadable = {
    "V1997-test.mdb",        "V2000_with-password.mdb", "V2003-desc-index.mdb", "V2003-empty.mdb",
    "V2003-index.mdb",       "V2003-numeric.mdb",       "V2003-queries.mdb",    "V2003-test.mdb",
    "V2003_no-password.mdb", "V2003_with-password.mdb", "V2010-test.accdb",     "V2016-currency.accdb"};

std::vector<std::string> tablesOf(const std::string& db) {
    std::vector<std::string> names;
    for (const auto& r : query(db,
                               "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' "
                               "ORDER BY name"))
        names.push_back(r[0].substr(5));
    return names;
}

std::map<std::string, std::string> declaredTypes(const std::string& db, const std::string& table) {
    std::map<std::string, std::string> types;
    for (const auto& r : query(db, "SELECT name, type FROM pragma_table_info('" + table + "')"))
        types[r[0].substr(5)] = r[1].substr(5);
    return types;
}

// A fixture copied into a new SQLite file in `dir`, which it returns.
std::string copyOf(const ScratchDir& dir, const std::string& file, const std::string& password = "") {
    const std::string db = dir.file(file + ".sqlite");
    const AccessImportResult r = importAccessFile(fixture(file), password, db);
    EXPECT_EQ(r.errorNumber, 0) << file << ": " << r.description;
    return db;
}

}  // namespace

TEST(AccessImport, TableOneOfTheTestFileReadsBackWithItsTypesAndValues) {
    ZELK_NEEDS_FIXTURES();
    for (const char* file : {"V2003-test.mdb", "V1997-test.mdb", "V2010-test.accdb"}) {
        SCOPED_TRACE(file);
        ScratchDir dir;
        const std::string db = dir.file("copy.sqlite");
        const AccessImportResult r = importAccessFile(fixture(file), "", db);
        ASSERT_EQ(r.errorNumber, 0) << r.description;
        EXPECT_TRUE(r.notes.empty());
        EXPECT_EQ(tablesOf(db), (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
        const auto types = declaredTypes(db, "Table1");
        EXPECT_EQ(types, (std::map<std::string, std::string>{{"A", "TEXT"},
                                                             {"B", "TEXT"},
                                                             {"C", "BYTE"},
                                                             {"D", "SMALLINT"},
                                                             {"E", "INTEGER"},
                                                             {"F", "DOUBLE"},
                                                             {"G", "DATETIME"},
                                                             {"H", "CURRENCY"},
                                                             {"I", "BOOLEAN"}}));
        const Rows rows = query(db, "SELECT * FROM Table1 ORDER BY A DESC");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], (std::vector<std::string>{"text:abcdefg", "text:hijklmnop", "integer:2", "integer:222",
                                                     "integer:333333333", "real:444.555", "text:1974-09-21", "real:3.5",
                                                     "integer:1"}));
        EXPECT_EQ(rows[1], (std::vector<std::string>{"text:a", "text:b", "integer:0", "integer:0", "integer:0",
                                                     "real:0.0", "text:1981-12-12", "integer:0", "integer:0"}));
        // Texts compare without regard to case, as Jet compares them.
        EXPECT_EQ(query(db, "SELECT count(*) FROM Table1 WHERE A = 'ABCDEFG'")[0][0], "integer:1");
        EXPECT_EQ(declaredTypes(db, "Table4"),
                  (std::map<std::string, std::string>{{"name", "TEXT"}, {"data", "TEXT"}}));
        EXPECT_EQ(query(db, "SELECT count(*) FROM sqlite_stat1")[0][0].substr(0, 8), "integer:");
    }
}

TEST(AccessImport, CurrencyDecimalsAndTheEmptyDatabase) {
    ZELK_NEEDS_FIXTURES();
    ScratchDir dir;
    std::string db = copyOf(dir, "V2016-currency.accdb");
    EXPECT_EQ(declaredTypes(db, "Table"),
              (std::map<std::string, std::string>{{"ID", "INTEGER"}, {"Money", "CURRENCY"}}));
    EXPECT_EQ(query(db, "SELECT ID, Money FROM \"Table\""), (Rows{{"integer:1", "integer:42"}}));

    db = copyOf(dir, "V2003-numeric.mdb");
    EXPECT_EQ(declaredTypes(db, "test")["col2"], "DOUBLE");
    EXPECT_EQ(query(db, "SELECT col1, col2, col3, col4, col5, col6, col7, typeof(col6) FROM test"),
              (Rows{{"text:some data", "real:1.0", "real:0.0", "real:0.0", "real:4.0", "real:-1.0", "real:1.0",
                     "text:real"}}));

    EXPECT_TRUE(tablesOf(copyOf(dir, "V2003-empty.mdb")).empty());
}

TEST(AccessImport, IndexesKeepTheirColumnsOrderAndUniqueness) {
    ZELK_NEEDS_FIXTURES();
    ScratchDir dir;
    std::string db = copyOf(dir, "V2003-desc-index.mdb");
    const Rows indexes = query(db, "SELECT name, sql FROM sqlite_master WHERE type='index' AND tbl_name='Table1'");
    ASSERT_EQ(indexes.size(), 1u);
    const std::string name = indexes[0][0].substr(5);
    EXPECT_NE(indexes[0][1].find("(\"CD_AGENTE\" DESC)"), std::string::npos) << indexes[0][1];
    EXPECT_EQ(query(db, "SELECT desc FROM pragma_index_xinfo('" + name + "') WHERE cid >= 0"), (Rows{{"integer:1"}}));
    // The index gives the rows in descending order.
    const Rows first =
        query(db, "SELECT CD_AGENTE FROM Table1 INDEXED BY \"" + name + "\" ORDER BY CD_AGENTE DESC LIMIT 1");
    EXPECT_EQ(first, query(db, "SELECT max(CD_AGENTE) FROM Table1"));

    db = copyOf(dir, "V2003-index.mdb");
    // Every table has "PrimaryKey" (and an index "id"): the names are made unique per table.
    const Rows named = query(db,
                             "SELECT name, tbl_name, sql LIKE 'CREATE UNIQUE%' FROM sqlite_master "
                             "WHERE type='index' AND name LIKE '%PrimaryKey' ORDER BY name");
    EXPECT_EQ(named, (Rows{{"text:Table1_PrimaryKey", "text:Table1", "integer:1"},
                           {"text:Table2_PrimaryKey", "text:Table2", "integer:1"},
                           {"text:Table3_PrimaryKey", "text:Table3", "integer:1"}}));
}

TEST(AccessImport, SelectQueriesBecomeViewsAndTheOthersAreNoted) {
    ZELK_NEEDS_FIXTURES();
    ScratchDir dir;
    const std::string db = dir.file("queries.sqlite");
    const AccessImportResult r = importAccessFile(fixture("V2003-queries.mdb"), "", db);
    ASSERT_EQ(r.errorNumber, 0) << r.description;
    EXPECT_EQ(query(db, "SELECT name FROM sqlite_master WHERE type='view'"), (Rows{{"text:SelectQuery"}}));
    EXPECT_TRUE(query(db, "SELECT * FROM SelectQuery").empty());
    const std::vector<std::string> expected = {
        "Query 'UpdateQuery' is niet overgenomen: het is een bijwerkquery.",
        "Query 'AppendQuery' is niet overgenomen: het is een toevoegquery.",
        "Query 'DeleteQuery' is niet overgenomen: het is een verwijderquery.",
        "Query 'MakeTableQuery' is niet overgenomen: het is een tabelmaakquery.",
        "Query 'CrosstabQuery' is niet overgenomen: het is een kruistabelquery.",
        "Query 'UnionQuery' is niet overgenomen: het is een samenvoegingsquery.",
        "Query 'PassthroughQuery' is niet overgenomen: het is een pass-through-query.",
        "Query 'DataDefinitionQuery' is niet overgenomen: het is een gegevensdefinitiequery."};
    EXPECT_EQ(r.notes, expected);
}

TEST(AccessImport, PasswordsAreCheckedAndEncryptedFilesRefused) {
    ZELK_NEEDS_FIXTURES();
    for (const char* file : {"V2003_with-password.mdb", "V2000_with-password.mdb"}) {
        SCOPED_TRACE(file);
        ScratchDir dir;
        const std::string db = dir.file("copy.sqlite");
        for (const char* wrong : {"", "Password", "wrong", "vastactiva"}) {
            const AccessImportResult r = importAccessFile(fixture(file), wrong, db);
            EXPECT_EQ(r.errorNumber, 3031) << wrong;
            EXPECT_EQ(r.description, "Geen geldig wachtwoord.");
            EXPECT_FALSE(std::filesystem::exists(db));
        }
        EXPECT_EQ(query(copyOf(dir, file, "password"), "SELECT ID, Data FROM Table1 ORDER BY ID"),
                  (Rows{{"integer:1", "text:One"}, {"integer:2", "text:Two"}, {"integer:3", "text:Three"}}));
    }
    ScratchDir dir;
    EXPECT_EQ(query(copyOf(dir, "V2003_no-password.mdb", "vastactiva"), "SELECT count(*) FROM Table1")[0][0],
              "integer:3");

    for (const char* password : {"", "password", "wrong"}) {
        const AccessImportResult r = importAccessFile(fixture("V2010_with-password.accdb"), password, dir.file("enc"));
        EXPECT_EQ(r.errorNumber, 3343) << password;
        EXPECT_EQ(r.description, "Onbekende database-indeling: het bestand is versleuteld en kan niet worden gelezen");
        EXPECT_FALSE(std::filesystem::exists(dir.file("enc")));
    }
}

TEST(AccessImport, FilesThatCannotBeCopiedGiveJetErrors) {
    ZELK_NEEDS_FIXTURES();
    ScratchDir dir;
    AccessImportResult r = importAccessFile(dir.file("missing.mdb"), "", dir.file("a.sqlite"));
    EXPECT_EQ(r.errorNumber, 3024);
    EXPECT_EQ(r.description, "Kan het bestand '" + dir.file("missing.mdb") + "' niet vinden.");
    r = importAccessFile(dir.file(""), "", dir.file("a.sqlite"));
    EXPECT_EQ(r.errorNumber, 3055);
    r = importAccessFile(fixture("README.md"), "", dir.file("a.sqlite"));
    EXPECT_EQ(r.errorNumber, 3343);
    EXPECT_EQ(r.description, "Onbekende database-indeling");
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.sqlite")));

    // The target must be new: an existing file is never overwritten.
    zelk::testing::writeBytes(dir.file("taken.sqlite"), "keep me");
    r = importAccessFile(fixture("V2003-test.mdb"), "", dir.file("taken.sqlite"));
    EXPECT_EQ(r.errorNumber, 3012);
    EXPECT_EQ(zelk::testing::readBytes(dir.file("taken.sqlite")), "keep me");

    // A directory where the copy cannot be written.
    r = importAccessFile(fixture("V2003-test.mdb"), "", dir.file("no/such/dir/copy.sqlite"));
    EXPECT_EQ(r.errorNumber, 3043) << r.description;
    EXPECT_EQ(r.description, "Schijf- of netwerkfout (het bestand kan niet worden gemaakt).");

    EXPECT_TRUE(zelk::looksLikeAccessFile(fixture("V1997-test.mdb")));
    EXPECT_TRUE(zelk::looksLikeAccessFile(fixture("V2016-currency.accdb")));
    EXPECT_TRUE(zelk::looksLikeAccessFile(fixture("V2010_with-password.accdb")));
    EXPECT_FALSE(zelk::looksLikeAccessFile(fixture("README.md")));
    EXPECT_FALSE(zelk::looksLikeAccessFile(dir.file("missing.mdb")));
}

// ---- agreement with mdb-export

namespace {

struct CsvField {
    bool quoted = false;
    std::string text;
};

std::vector<std::vector<CsvField>> parseCsv(const std::string& in) {
    std::vector<std::vector<CsvField>> rows(1);
    CsvField field;
    bool inQuotes = false;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (inQuotes) {
            if (c != '"') field.text += c;
            else if (i + 1 < in.size() && in[i + 1] == '"') field.text += in[++i];  // a doubled quote
            else inQuotes = false;
        } else if (c == '"' && field.text.empty() && !field.quoted) {
            field.quoted = inQuotes = true;
        } else if (c == ',' || c == '\n') {
            rows.back().push_back(std::exchange(field, {}));
            if (c == '\n') rows.emplace_back();
        } else {
            field.text += c;
        }
    }
    if (!rows.back().empty() || !field.text.empty() || field.quoted) rows.back().push_back(field);
    else rows.pop_back();
    return rows;
}

std::string run(const std::string& command) {
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    pclose(pipe);
    return out;
}

std::int64_t scaledDecimal(const std::string& text) {
    // "3.5000" -> 35000, exactly.
    const bool negative = !text.empty() && text[0] == '-';
    std::int64_t whole = 0, fraction = 0;
    int digits = 0;
    bool point = false;
    for (char c : text.substr(negative ? 1 : 0)) {
        if (c == '.') point = true;
        else if (!point) whole = whole * 10 + (c - '0');
        else if (digits < 4) fraction = fraction * 10 + (c - '0'), ++digits;
    }
    while (digits++ < 4) fraction *= 10;
    const std::int64_t value = whole * 10000 + fraction;
    return negative ? -value : value;
}

// The same value in one spelling, whichever side printed it.
std::string canonical(const std::string& type, bool isNull, const std::string& text, bool fromExport) {
    if (isNull) return "NULL";
    if (type == "CURRENCY") {
        const std::int64_t scaled =
            fromExport ? scaledDecimal(text) : zelk::Currency::fromDouble(std::stod(text)).scaled;
        return std::to_string(scaled);
    }
    if (type == "DOUBLE" || type == "SINGLE") {
        const double v = std::stod(text);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.7g", type == "SINGLE" ? static_cast<double>(static_cast<float>(v)) : v);
        return buf;
    }
    if (type == "DATETIME" && !fromExport) {
        if (text.size() == 10) return text + " 00:00:00";
        if (text.size() == 8) return "1899-12-30 " + text;
    }
    return text;
}

}  // namespace

TEST(AccessImport, EveryTableEqualsWhatMdbExportPrints) {
    ZELK_NEEDS_FIXTURES();
    if (run("command -v mdb-export").empty()) GTEST_SKIP() << "mdb-export is not installed";
    int tablesCompared = 0;
    for (const std::string& file : kReadable) {
        SCOPED_TRACE(file);
        ScratchDir dir;
        const std::string db = copyOf(dir, file, "password");
        for (const std::string& table : tablesOf(db)) {
            SCOPED_TRACE(table);
            std::vector<std::string> columns, columnTypes;
            for (const auto& c : query(db, "SELECT name, type FROM pragma_table_info('" + table + "') ORDER BY cid")) {
                columns.push_back(c[0].substr(5));
                columnTypes.push_back(c[1].substr(5));
            }
            const auto exported = parseCsv(run("mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' '" +
                                               fixture(file) + "' '" + table + "'"));
            ASSERT_FALSE(exported.empty());
            std::vector<std::string> header;
            for (const CsvField& f : exported[0]) header.push_back(f.text);
            EXPECT_EQ(header, columns);

            std::vector<std::vector<std::string>> theirs, ours;
            for (std::size_t i = 1; i < exported.size(); ++i) {
                std::vector<std::string> row;
                for (std::size_t c = 0; c < exported[i].size() && c < columns.size(); ++c) {
                    const CsvField& f = exported[i][c];
                    row.push_back(canonical(columnTypes[c], !f.quoted && f.text.empty(), f.text, true));
                }
                theirs.push_back(row);
            }
            for (const auto& values : query(db, "SELECT * FROM \"" + table + "\"")) {
                std::vector<std::string> row;
                for (std::size_t c = 0; c < values.size(); ++c) {
                    const std::string& v = values[c];
                    const std::size_t colon = v.find(':');
                    row.push_back(canonical(columnTypes[c], v == "null",
                                            colon == std::string::npos ? "" : v.substr(colon + 1), false));
                }
                ours.push_back(row);
            }
            std::sort(theirs.begin(), theirs.end());
            std::sort(ours.begin(), ours.end());
            EXPECT_EQ(ours, theirs);
            ++tablesCompared;
        }
    }
    EXPECT_EQ(tablesCompared, 24);
}

TEST(AccessImport, DeletedRowsAreSkippedAndMovedRowsFollowed) {
    ZELK_NEEDS_FIXTURES();
    // Table1 of V2003_no-password.mdb holds (1,"One"), (2,"Two"), (3,"Three")
    // on one data page; its row table and the row count of its definition
    // are edited here as Jet edits them.
    const std::string bytes = zelk::testing::readBytes(fixture("V2003_no-password.mdb"));
    std::vector<unsigned char> original(bytes.begin(), bytes.end());
    constexpr std::size_t kPage = 4096, kRowCount = 0x0C;
    const std::vector<unsigned char> three = {0xFF, 0xFE, 'T', 'h', 'r', 'e', 'e'};
    std::size_t page = 0;
    for (std::size_t p = 1; p < original.size() / kPage && !page; ++p) {
        const auto begin = original.begin() + static_cast<long>(p * kPage);
        if (*begin == 0x01 && std::search(begin, begin + kPage, three.begin(), three.end()) != begin + kPage) page = p;
    }
    ASSERT_NE(page, 0u);
    unsigned char* data = original.data() + page * kPage;
    ASSERT_EQ(data[kRowCount], 3);
    auto entry = [&](int row) { return data + kRowCount + 2 + 2 * row; };
    constexpr std::size_t kDefinitionRows = 16;
    const std::size_t definition = std::size_t{data[4]} | std::size_t{data[5]} << 8 | std::size_t{data[6]} << 16;
    ASSERT_EQ(original[definition * kPage + kDefinitionRows], 3);

    ScratchDir dir;
    const std::string file = dir.file("edited.mdb"), db = dir.file("edited.sqlite");
    auto importEdited = [&](std::vector<unsigned char> edited, unsigned char rows) {
        edited[definition * kPage + kDefinitionRows] = rows;
        std::remove(db.c_str());
        zelk::testing::writeBytes(file, std::string(edited.begin(), edited.end()));
        return importAccessFile(file, "", db);
    };
    auto rowsAfter = [&](const std::vector<unsigned char>& edited, unsigned char rows) {
        const AccessImportResult r = importEdited(edited, rows);
        EXPECT_EQ(r.errorNumber, 0) << r.description;
        return query(db, "SELECT Data FROM Table1");
    };

    const std::vector<unsigned char> untouched = original;
    entry(1)[1] |= 0x80;  // row "Two" deleted
    EXPECT_EQ(rowsAfter(original, 2), (Rows{{"text:One"}, {"text:Three"}}));
    // A row lost without its count: the table is not all there.
    for (const int rows : {3, 1}) {
        const AccessImportResult r = importEdited(original, static_cast<unsigned char>(rows));
        EXPECT_EQ(r.errorNumber, 3049);
        EXPECT_EQ(r.description, "Database '" + file +
                                     "' is beschadigd (tabel 'Table1') en kan niet worden gebruikt. Herstel het "
                                     "bestand of gebruik een reservekopie.");
        EXPECT_FALSE(std::filesystem::exists(db));
    }

    original = untouched;
    data = original.data() + page * kPage;
    // Row "One" moved into the place of "Three": its new home is marked like
    // a deleted row, and the old place holds a pointer (row, 24-bit page).
    entry(0)[1] |= 0x80;
    const int start = (entry(2)[0] | entry(2)[1] << 8) & 0x1FFF;
    data[start] = 0;
    data[start + 1] = static_cast<unsigned char>(page);
    data[start + 2] = static_cast<unsigned char>(page >> 8);
    data[start + 3] = static_cast<unsigned char>(page >> 16);
    entry(2)[1] |= 0x40;
    EXPECT_EQ(rowsAfter(original, 2), (Rows{{"text:Two"}, {"text:One"}}));
}
