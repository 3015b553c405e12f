// Speed of reading Access files into SQLite.
//
//   access_bench [FIXTURES_DIR] [REPEATS]
//
// 1. The whole import (child process, libmdb, SQLite file, indexes,
//    ANALYZE) of the largest fixture, V2003-test.mdb, repeated: the fixed
//    cost of opening an Access file.
// 2. The cost per row: the rows of V2003-test.mdb's Table1 (all nine column
//    types) and of V2003-desc-index.mdb (512 rows, a descending index) are
//    read through the same reader and written through the same writer until
//    100 000 rows are copied, as the import does for a large table.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "database/access/access_import.h"
#include "database/access/access_queries.h"
#include "database/access/access_reader.h"
#include "database/access/sqlite_writer.h"
#include "os/child_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zelk::access;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string scratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelk-access-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// Copies the rows of one table again and again into a new SQLite table
// until `wanted` rows are written; returns ms per 100 000 rows.
double rowsPer100k(const std::string& file, const std::string& tableName, const std::string& dir, long wanted) {
    auto access = AccessFile::open(file);
    auto table = access ? access->openTable(tableName) : nullptr;
    if (!table) {
        std::fprintf(stderr, "cannot read %s / %s\n", file.c_str(), tableName.c_str());
        std::exit(1);
    }
    const std::string target = dir + "/rows-" + tableName + "-" + std::to_string(wanted) + ".sqlite";
    std::filesystem::remove(target);
    SqliteWriter db(target);
    std::string create = "CREATE TABLE t (";
    for (std::size_t i = 0; i < table->columns().size(); ++i)
        create +=
            (i ? ", " : "") + quoteIdentifier(table->columns()[i].name) + " " + declaredType(table->columns()[i].kind);
    db.exec(create + ")");
    const auto start = Clock::now();
    db.exec("BEGIN");
    SqliteWriter::Inserter insert(db, "t", table->columns().size());
    long copied = 0;
    while (copied < wanted)
        table->readRows([&](const std::vector<FieldValue>& row) { insert.insert(row), ++copied; }, [] {});
    for (const IndexInfo& index : table->indexes()) {
        std::string keys;
        for (const auto& [column, descending] : index.keys)
            keys += (keys.empty() ? "" : ", ") + quoteIdentifier(column) + (descending ? " DESC" : "");
        db.exec("CREATE INDEX " + quoteIdentifier("i_" + index.name) + " ON t (" + keys + ")");
    }
    db.exec("COMMIT");
    db.exec("ANALYZE");
    return msSince(start) * 100000.0 / static_cast<double>(copied);
}

}  // namespace

int main(int argc, char** argv) {
    zelk::os::runIsolatedJobIfChild();  // a Windows child of this program does its job here
    const std::string fixtures = argc > 1 ? argv[1] : std::string(ZELK_SOURCE_DIR) + "/../shared/fixtures/access";
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 30;
    const std::string dir = scratchDir();

    const std::string largest = fixtures + "/V2003-test.mdb";
    double total = 0;
    for (int i = 0; i < repeats; ++i) {
        const std::string target = dir + "/import" + std::to_string(i) + ".sqlite";
        const auto start = Clock::now();
        const zelk::AccessImportResult r = zelk::importAccessFile(largest, "", target);
        total += msSince(start);
        if (r.errorNumber != 0) {
            std::fprintf(stderr, "import failed: %ld %s\n", r.errorNumber, r.description.c_str());
            return 1;
        }
        std::filesystem::remove(target);
    }
    std::printf("import of V2003-test.mdb (%d times): %.1f ms each\n", repeats, total / repeats);

    const double mixed = rowsPer100k(largest, "Table1", dir, 100000);
    std::printf("rows of V2003-test.mdb Table1 (9 columns, every type): %.0f ms per 100 000 rows\n", mixed);
    const double indexed = rowsPer100k(fixtures + "/V2003-desc-index.mdb", "Table1", dir, 100000);
    std::printf("rows of V2003-desc-index.mdb Table1 (3 columns, descending index): %.0f ms per 100 000 rows\n",
                indexed);

    std::filesystem::remove_all(dir);
    return 0;
}
