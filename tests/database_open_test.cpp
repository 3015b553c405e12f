// Opening a database soundly: temporary copies cost disk and leave nothing
// behind, damaged files are refused, and a second user's write is waited for.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <optional>
#include <thread>

#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "database_test_support.h"

using namespace zelk;
using namespace zelk::testing;
using namespace std::chrono_literals;

namespace {

const std::string kAccessHeader = std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(4076, '\0');

// Whether this process holds a file open whose name, as the kernel gives it,
// starts so. Windows has no such list; there no file counts as held.
bool holdsOpen(const std::string& prefix) {
#ifdef _WIN32
    (void)prefix;
    return false;
#else
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(entry.path(), ec).string().rfind(prefix, 0) == 0 && !ec) return true;
    }
    return false;
#endif
}

// Overwrites one page of a SQLite file with zeros: the b-tree it belonged to is damaged.
void zeroPage(const std::string& path, long page) {
    std::string bytes = readBytes(path);
    const long pageSize = 4096;
    ASSERT_LE((page + 1) * pageSize, static_cast<long>(bytes.size()));
    std::fill(bytes.begin() + page * pageSize, bytes.begin() + (page + 1) * pageSize, '\0');
    writeBytes(path, bytes);
}

// A page inside the table's b-tree (not its root): damage there leaves the schema readable.
long pageOf(const std::string& path, const std::string& table) {
    auto db = sqlite::open(path, SQLITE_OPEN_READONLY);
    auto st = sqlite::prepare(db.get(), "SELECT max(pageno) FROM dbstat WHERE name = '" + table + "'");
    EXPECT_TRUE(sqlite::step(db.get(), st.get()));
    return sqlite3_column_int(st.get(), 0) - 1;  // zero-based
}

std::string tempDirEntries(const std::string& prefix) {
    std::string out;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        if (e.path().filename().string().rfind(prefix, 0) == 0) out += e.path().string() + " ";
    return out;
}

struct DatabaseOpen : DemoFixture {
    ScratchDir temp;
    OwnTempDir ownTemp{temp};
};

}  // namespace

TEST_F(DatabaseOpen, AccessCopyLivesOnDiskWithoutANameAndGoesWithTheConnection) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the name of a file that is open: the copy goes when the next import cleans up";
#else
    const std::string mdb = dir.file("GROOT.MDB");
    writeBytes(mdb, kAccessHeader);
    const FileSnapshot before = FileSnapshot::of(mdb);
    std::string copyPath;
    // A copy of some 40 MB: were it loaded into memory, SQLite's allocations
    // would show it beyond the page cache.
    const AccessImporter importer = [&](const std::string&, const std::string&, const std::string& sqlite) {
        copyPath = sqlite;
        auto c = sqlite::open(sqlite, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite::exec(c.get(),
                     "CREATE TABLE Waardering (WD_Waardering TEXT, WD_Omschrijving TEXT);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
                     "INSERT INTO Waardering SELECT 'W' || i, hex(randomblob(500)) FROM n;");
        return AccessImportResult{0, "", {}};
    };
    const auto usedBefore = sqlite3_memory_used();
    auto db = SqliteConnection::open(mdb, OpenOptions{}, importer);
    EXPECT_LT(sqlite3_memory_used() - usedBefore, (sqlite::kPageCacheKiB << 10) + (4 << 20));
    EXPECT_TRUE(db->isCopy());
    EXPECT_TRUE(db->fileIsReadOnly());
    // The copy has no name any more, but the connection still reads it.
    ASSERT_FALSE(copyPath.empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(copyPath).parent_path()));
    EXPECT_TRUE(holdsOpen(copyPath));
    EXPECT_EQ(tempDirEntries("zelk-import-"), "");
    db->CreateQueryDef("Codes", "SELECT WD_Waardering FROM Waardering WHERE WD_Waardering = 'W23999'");
    EXPECT_EQ(db->OpenRecordset("Codes", dbOpenDynaset)->Field("WD_Waardering"), Variant("W23999"));
    db->Close();
    EXPECT_FALSE(holdsOpen(copyPath));
    EXPECT_TRUE(FileSnapshot::of(mdb) == before);

    // A failed import leaves no folder either.
    const AccessImporter failing = [&](const std::string&, const std::string&, const std::string& sqlite) {
        writeBytes(sqlite, "half");
        return AccessImportResult{3343, "Onbekende database-indeling", {}};
    };
    EXPECT_EQ(errorOf([&] { SqliteConnection::open(mdb, OpenOptions{}, failing); }), 3343);
    EXPECT_EQ(tempDirEntries("zelk-import-"), "");

    // A read-only SQLite file without statistics is analysed in a copy on disk, too.
    execOn(demo, "DROP TABLE sqlite_stat1");
    OpenOptions readOnly;
    readOnly.readOnly = true;
    const auto usedBeforeSqlite = sqlite3_memory_used();
    auto ro = SqliteConnection::open(demo, readOnly);
    EXPECT_LT(sqlite3_memory_used() - usedBeforeSqlite, 8 << 20);
    EXPECT_TRUE(ro->isCopy());
    EXPECT_TRUE(ro->hasStatistics());
    EXPECT_TRUE(holdsOpen(temp.str() + "/zelk-import-"));
    EXPECT_EQ(tempDirEntries("zelk-import-"), "");
    ro->Close();
    EXPECT_FALSE(holdsOpen(temp.str() + "/zelk-import-"));
#endif
}

TEST_F(DatabaseOpen, ACopyThatDoesNotFitTheTemporaryFolderNamesIt) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is planted with a file-size limit, which Windows does not have";
#else
    const std::string mdb = dir.file("VOL.MDB");
    writeBytes(mdb, kAccessHeader);
    // What the importer reports when the copy's disk is full.
    const AccessImporter full = [](const std::string&, const std::string&, const std::string&) {
        return AccessImportResult{3043, "Schijf- of netwerkfout (de schijf is vol).", {}};
    };
    try {
        SqliteConnection::open(mdb, OpenOptions{}, full);
        ADD_FAILURE() << "opened";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), 3043);
        EXPECT_EQ(e.description(), "Kopie van de database niet te maken in de tijdelijke map '" + temp.str() +
                                       "': Schijf- of netwerkfout (de schijf is vol).");
    }
    EXPECT_EQ(tempDirEntries("zelk-import-"), "");

    // The analysed copy of a read-only SQLite file without statistics, the same.
    execOn(demo, "DROP TABLE sqlite_stat1");
    OpenOptions readOnly;
    readOnly.readOnly = true;
    try {
        const SmallFileLimit limit;
        SqliteConnection::open(demo, readOnly);
        ADD_FAILURE() << "opened";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), 3043);
        EXPECT_EQ(
            e.description().rfind("Kopie van de database niet te maken in de tijdelijke map '" + temp.str() + "': ", 0),
            0u)
            << e.description();
    }
    EXPECT_EQ(tempDirEntries("zelk-import-"), "");
#endif
}

TEST_F(DatabaseOpen, DamagedFilesAreNeverTakenForSoundNorWritten) {
    const long page = pageOf(demo, "Historie");
    ASSERT_GT(page, 1);
    const std::string damaged = dir.file("kapot.db");
    writeBytes(damaged, readBytes(demo));
    zeroPage(damaged, page);
    const FileSnapshot before = FileSnapshot::of(damaged);

    // The schema reads, so the file opens; the check beside the work finds
    // the damage, and nothing that waits for it gets past it.
    for (const bool readOnly : {false, true}) {
        OpenOptions o;
        o.readOnly = readOnly;
        auto db = SqliteConnection::open(damaged, o);
        try {
            db->awaitSound();
            ADD_FAILURE() << "passed a damaged file, read-only " << readOnly;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 3049);
            EXPECT_NE(e.description().find("beschadigd"), std::string::npos) << e.description();
            EXPECT_NE(e.description().find(damaged), std::string::npos) << e.description();
        }
        EXPECT_EQ(errorOf([&] { db->refuseKnownDamage(); }), 3049);
        EXPECT_EQ(errorOf([&] { db->CreateQueryDef("Nieuw", "SELECT 1"); }), readOnly ? 0 : 3049);
    }
    EXPECT_TRUE(FileSnapshot::of(damaged) == before);

    // A damaged copy from the Access reader is refused at the open, and removed.
    const std::string mdb = dir.file("ZELK.MDB");
    writeBytes(mdb, kAccessHeader);
    const AccessImporter importer = [&](const std::string&, const std::string&, const std::string& sqlite) {
        writeBytes(sqlite, readBytes(damaged));
        return AccessImportResult{0, "", {}};
    };
    EXPECT_EQ(errorOf([&] { SqliteConnection::open(mdb, OpenOptions{}, importer); }), 3049);
    EXPECT_EQ(tempDirEntries("zelk-import-"), "");
    EXPECT_FALSE(holdsOpen(temp.str()));
}

TEST_F(DatabaseOpen, IndexesThatDisagreeWithTheirTablesAreDamage) {
    // An index that misses rows: every page is sound, so the quick check
    // passes it, and a seek in it would miss history records without a word.
    const std::string missing = dir.file("index-mist-rijen.db");
    writeBytes(missing, readBytes(demo));
    {
        auto c = sqlite::open(missing, SQLITE_OPEN_READWRITE);
        sqlite::exec(c.get(),
                     "DROP INDEX OgCodRev;"
                     "CREATE INDEX OgCodRev ON Historie (OGCODE, ICCODE, VLGNUM, DatBoe DESC) WHERE RECNO % 3 <> 1;"
                     "PRAGMA writable_schema = ON;"
                     "UPDATE sqlite_master SET sql = 'CREATE INDEX OgCodRev ON Historie (OGCODE, ICCODE, VLGNUM, "
                     "DatBoe DESC)' WHERE name = 'OgCodRev';");
    }
    {
        auto c = sqlite::open(missing, SQLITE_OPEN_READONLY);
        auto st = sqlite::prepare(c.get(), "PRAGMA quick_check");
        ASSERT_TRUE(sqlite::step(c.get(), st.get()));
        EXPECT_EQ(sqlite::columnText(st.get(), 0), "ok");
    }
    // An index whose root page is another table's.
    const std::string shared = dir.file("index-op-andere-tabel.db");
    writeBytes(shared, readBytes(demo));
    execOn(shared,
           "PRAGMA writable_schema = ON; UPDATE sqlite_master SET rootpage = (SELECT rootpage FROM sqlite_master "
           "WHERE name = 'OB') WHERE name = 'OgCodRev'");

    for (const std::string& file : {missing, shared}) {
        auto db = SqliteConnection::open(file, OpenOptions{});
        EXPECT_EQ(errorOf([&] { db->awaitSound(); }), 3049) << file;
    }
    auto sound = SqliteConnection::open(demo, OpenOptions{});
    EXPECT_EQ(errorOf([&] { sound->awaitSound(); }), 0);
}

TEST_F(DatabaseOpen, TheWaitForTheCheckLetsEventsRunAndStopsWhenTold) {
    // A file whose check takes a while: 300 000 index entries to compare.
    const std::string big = dir.file("groot.db");
    {
        auto c = sqlite::open(big, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite::exec(c.get(),
                     "CREATE TABLE t (a INTEGER, b TEXT); CREATE INDEX tb ON t (b, a);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000) "
                     "INSERT INTO t SELECT i, printf('%08x', i * 2654435761 % 4294967296) FROM n;");
    }
    OpenOptions o;
    int looks = 0;
    bool stopping = true;
    o.work.letEventsRun = [&] { ++looks; };
    o.work.stopReason = [&]() -> std::optional<std::string> {
        if (!stopping || looks < 3) return std::nullopt;
        return "Gestopt op verzoek van de gebruiker";
    };
    auto db = SqliteConnection::open(big, o);
    // The file reads while the check runs.
    EXPECT_EQ(db->OpenRecordset("SELECT count(*) AS n FROM t", dbOpenDynaset)->Field("n"),
              Variant(std::int32_t{300000}));
    try {
        db->awaitSound();
        ADD_FAILURE() << "the wait did not stop";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 3059);
        EXPECT_EQ(e.description(), "Gestopt op verzoek van de gebruiker");
    }
    EXPECT_EQ(looks, 3);
    // The check went on meanwhile: without a reason to stop, the file passes.
    stopping = false;
    EXPECT_EQ(errorOf([&] { db->awaitSound(); }), 0);
    // Closed while a check runs: the check is stopped, not waited for.
    auto again = SqliteConnection::open(big, OpenOptions{});
    const auto start = std::chrono::steady_clock::now();
    again->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

TEST_F(DatabaseOpen, SecondUserWritingIsWaitedForThenReportedAsLocked) {
    // Another connection holds the file for a write, as a second export does
    // while it stores its queries. SQLite's locks hold between the
    // connections of one process as between processes; a thread, unlike a
    // forked child, cannot be caught holding a lock of the integrity check's.
    std::atomic<bool> holderFailed{false};
    const auto holdLock = [&](std::chrono::milliseconds howLong) {
        std::promise<void> locked;
        std::future<void> ready = locked.get_future();
        std::thread holder([&, howLong, done = std::move(locked)]() mutable {
            try {
                auto c = sqlite::open(demo, SQLITE_OPEN_READWRITE);
                sqlite::exec(c.get(), "BEGIN EXCLUSIVE");
                done.set_value();
                std::this_thread::sleep_for(howLong);
                sqlite::exec(c.get(), "COMMIT");
            } catch (const std::exception&) {
                holderFailed = true;
                done.set_value();
            }
        });
        ready.wait();
        return holder;
    };

    std::thread other = holdLock(800ms);
    auto db = SqliteConnection::open(demo, OpenOptions{});  // waits for the other's commit
    other.join();
    other = holdLock(800ms);
    db->CreateQueryDef("Eigenaren", "SELECT CODE FROM Eigenaar");
    other.join();
    EXPECT_TRUE(db->QueryDefExists("Eigenaren"));

    // A lock that is not let go in time is the locking error the program handles.
    other = holdLock(5s);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf([&] { db->CreateQueryDef("Namen", "SELECT NAAM FROM Eigenaar"); }), 3261);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
    other.join();
    EXPECT_FALSE(holderFailed);
}
