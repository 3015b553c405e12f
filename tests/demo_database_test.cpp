// The demo database: the schema, deterministic content with the corner cases
// the exports react to, never overwriting a file, and its command.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <set>
#include <thread>

#include "database/sqlite_connection.h"
#include "database/sqlite_handle.h"
#include "database_test_support.h"

using namespace zelk;
using namespace zelk::testing;

namespace {

// Runs one query on a file and returns its first column as text rows.
std::vector<std::string> column(const std::string& path, const std::string& sql) {
    auto c = sqlite::open(path, SQLITE_OPEN_READONLY);
    auto st = sqlite::prepare(c.get(), sql);
    std::vector<std::string> out;
    while (sqlite::step(c.get(), st.get()))
        out.push_back(sqlite3_column_type(st.get(), 0) == SQLITE_NULL ? "<null>" : sqlite::columnText(st.get(), 0));
    return out;
}

long count(const std::string& path, const std::string& where) {
    return std::stol(column(path, "SELECT count(*) FROM " + where)[0]);
}

std::string cliPath() {
#ifdef _WIN32
    return std::string(ZELK_BIN_DIR) + "/zelkextract2-cli.exe";
#else
    return std::string(ZELK_BIN_DIR) + "/zelkextract2-cli";
#endif
}

// The Windows build makes the command-line program only once Qt is there.
#define ZELK_NEEDS_CLI()                                                                          \
    do {                                                                                          \
        if (!std::filesystem::exists(cliPath())) GTEST_SKIP() << "no command-line program built"; \
    } while (false)

int runCli(const std::string& args) {
#ifdef _WIN32
    // cmd.exe takes the whole line in quotes when it starts with a quote.
    const std::string cmd = "\"\"" + std::string(ZELK_BIN_DIR) + "/zelkextract2-cli.exe\" " + args + " >NUL 2>&1\"";
    return std::system(cmd.c_str());
#else
    const std::string cmd = std::string(ZELK_BIN_DIR) + "/zelkextract2-cli " + args + " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace

TEST(DemoDatabase, HoldsTheCornerCasesTheExportsReactTo) {
    ScratchDir dir;
    const std::string db = makeDemo(dir);

    EXPECT_EQ(column(db, "SELECT WD_Waardering FROM Waardering"), (std::vector<std::string>{"COM", "IFR", "FIS"}));
    const auto holds = [&](const std::string& sql, std::initializer_list<const char*> values) {
        const auto got = column(db, sql);
        for (const char* v : values) EXPECT_NE(std::find(got.begin(), got.end(), v), got.end()) << v;
    };
    holds("SELECT CT_SOORT FROM Categori", {"GR", "ONR", "ERF", "Onr", "INV", "<null>"});
    holds("SELECT CT_REKNUM FROM Categori", {"4711", "1234567", "<null>"});

    // Categories: percentages 10, 3, 7, 0, none and negative; one without a 'COM' row.
    for (const char* pct : {"10.0", "3.0", "7.0", "0.0", "<null>", "-5.0"})
        EXPECT_GT(count(db,
                        "IC_Waardering WHERE IW_Waardering = 'COM' AND ifnull(CAST(IW_Afschr_Percentage AS "
                        "TEXT), '<null>') = '" +
                            std::string(pct) + "'"),
                  0)
            << pct;
    EXPECT_EQ(count(db, "IC WHERE IC_CODE NOT IN (SELECT IW_IcCode FROM IC_Waardering WHERE IW_Waardering = 'COM')"),
              1);
    EXPECT_EQ(count(db, "OB"), 200);
    EXPECT_GT(count(db, "Historie"), 2 * 200);
    EXPECT_GT(count(db, "OG WHERE OG_PC GLOB '[0-9][0-9][0-9][0-9] [A-Z][A-Z]'"), 40);
    EXPECT_GT(count(db, "OG WHERE OG_Huur IS NULL OR OG_Huur NOT IN (1, 2, 3)"), 1);
    EXPECT_GT(count(db, "OG WHERE OG_Gebruik IS NULL OR OG_Gebruik NOT IN (1, 2)"), 1);
    const char* const kSame = "OW_OgCode = OGCODE AND OW_IcCode = ICCODE AND OW_Vlgnum = VLGNUM";
    for (const std::string& where : std::vector<std::string>{
             // buildings; codes in lower case; an owner that does not exist
             "OG WHERE OG_BedOpb IS NULL", "OG WHERE OG_BedOpb <> 0", "OG WHERE OG_WVW = 0", "OG WHERE OG_WVW IS NULL",
             "OG WHERE OG_WVW < 0", "OG WHERE OG_Naam IS NULL", "OG WHERE OG_CODE GLOB 'g*'",
             "OG WHERE OG_EIG GLOB 'e*'", "OG WHERE OG_EIG NOT IN (SELECT CODE FROM Eigenaar)",
             // assets and their valuations
             "OB WHERE NAAM = '   '", "OB WHERE NAAM IS NULL", "OB WHERE PrjNr IS NULL", "OB WHERE DatBoeAkt IS NULL",
             "OB WHERE EdatCoHAf = '1899-12-30'", "OB WHERE OB_Levensduur IS NULL", "OB WHERE OB_Levensduur = 0",
             "OB JOIN OB_Waardering ON " + std::string(kSame) + " WHERE EdatCoHAf < OW_AanschafDatum",
             "OB_Waardering WHERE OW_Waardering = 'COM' AND OW_HuidigeWaarde = 0",
             "OB_Waardering WHERE OW_AanschafWaarde = OW_HuidigeWaarde + 999999",
             "OB_Waardering WHERE OW_Waardering = 'COM' AND OW_AanschafWaarde IS NULL",
             "OB_Waardering WHERE OW_AanschafDatum IS NULL", "OB_Waardering WHERE OW_EindDatum IS NOT NULL",
             "OB WHERE NOT EXISTS (SELECT 1 FROM OB_Waardering WHERE " + std::string(kSame) +
                 " AND OW_Waardering = 'COM')",
             // history: several bookings per asset, both kinds, and the odd ones
             "Historie WHERE DatBoe IS NULL",
             "(SELECT 1 FROM Historie WHERE DatBoe IS NOT NULL GROUP BY OGCODE, ICCODE, VLGNUM, DatBoe HAVING count(*) "
             "> 1)",
             "OB WHERE NOT EXISTS (SELECT 1 FROM Historie H WHERE H.OGCODE = OB.OGCODE AND H.ICCODE = OB.ICCODE AND "
             "H.VLGNUM = OB.VLGNUM)",
             "Historie H WHERE NOT EXISTS (SELECT 1 FROM HI_Waardering W WHERE W.HW_OgCode = H.OGCODE AND W.HW_IcCode "
             "= H.ICCODE AND W.HW_Vlgnum = H.VLGNUM AND W.HW_RecNo = H.RECNO)",
             "HI_Waardering WHERE HW_Waardering = 'COM'", "HI_Waardering WHERE HW_Waardering = 'IFR'",
             "HI_Waardering WHERE HW_Waardering = 'OUD'",
             "(SELECT 1 FROM HI_Waardering GROUP BY HW_OgCode, HW_IcCode, HW_Vlgnum, HW_RecNo, HW_Waardering HAVING "
             "count(*) > 1)"})
        EXPECT_GT(count(db, where), 0) << where;
    // The last asset in the history index is booked only after the processing dates.
    const auto last = column(db,
                             "SELECT min(DatBoe) FROM Historie WHERE OGCODE || ICCODE || VLGNUM = "
                             "(SELECT OGCODE || ICCODE || VLGNUM FROM Historie ORDER BY OGCODE COLLATE NOCASE "
                             "DESC, ICCODE DESC, VLGNUM DESC LIMIT 1)");
    EXPECT_GT(last[0], "2026-12-31");
    EXPECT_EQ(column(db, "SELECT name FROM sqlite_master WHERE name = 'sqlite_stat1'").size(), 1u);

    // The owners whose names become place codes, and the near misses, as the exports see them.
    OpenOptions o;
    auto engine = SqliteConnection::open(db, o);
    auto rs = engine->OpenRecordset(movableAssetsSql(), dbOpenDynaset);
    std::set<std::string> seen;
    for (; !rs->Eof(); rs->MoveNext()) seen.insert(displayText(rs->Field("Eigenaar.NAAM")));
    for (const char* name : {"Kalmerstede", "KALMERSTEDE A", "Facilitair Bedrijf", "Heldraak", "Kalmerstede a",
                             " Kalmerstede", "Kalmerstede B", ""})
        EXPECT_EQ(seen.count(name), 1u) << name;
}

TEST(DemoDatabase, SameSeedSameContentAndNeverOverwrites) {
    ScratchDir dir;
    const std::string a = makeDemo(dir, "a.db");
    const std::string b = makeDemo(dir, "b.db");
    EXPECT_EQ(readBytes(a), readBytes(b));
    DemoOptions other;
    other.seed = 2;
    const std::string c = dir.file("c.db");
    createDemoDatabase(c, other);
    EXPECT_NE(column(a, "SELECT group_concat(OG_Naam) FROM OG"), column(c, "SELECT group_concat(OG_Naam) FROM OG"));

    const FileSnapshot before = FileSnapshot::of(a);
    EXPECT_THROW(createDemoDatabase(a), DemoDatabaseError);
    EXPECT_TRUE(FileSnapshot::of(a) == before);
    const std::string plain = dir.file("notities.txt");
    writeBytes(plain, "bewaren");
    EXPECT_THROW(createDemoDatabase(plain), DemoDatabaseError);
    EXPECT_EQ(readBytes(plain), "bewaren");
    EXPECT_THROW(createDemoDatabase(dir.file("geen-map/demo.db")), DemoDatabaseError);
    DemoOptions none;
    none.assets = 0;
    EXPECT_THROW(createDemoDatabase(dir.file("leeg.db"), none), DemoDatabaseError);
    // Nothing is left behind by the failures.
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 4u);
}

TEST(DemoDatabase, CommandLine) {
    ZELK_NEEDS_CLI();
    ScratchDir dir;
    const std::string file = dir.file("cli.db");
    EXPECT_EQ(runCli("demo-database \"" + file + "\" --assets 50 --seed 7"), 0);
    EXPECT_EQ(count(file, "OB"), 50);
    EXPECT_EQ(runCli("demo-database \"" + file + "\""), 1);
    EXPECT_EQ(runCli("demo-database"), 2);
    EXPECT_EQ(runCli("demo-database \"" + dir.file("x.db") + "\" --assets nul"), 2);
    EXPECT_EQ(runCli("demo-database \"" + dir.file("x.db") + "\" --assets"), 2);
    EXPECT_EQ(runCli("demo-database \"" + dir.file("x.db") + "\" --onbekend 3"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.db")));
}

TEST(DemoDatabase, AnInterruptedCommandLeavesNothingBehind) {
#ifdef _WIN32
    GTEST_SKIP() << "planted with POSIX signals; Windows ends a console program through its control handler";
#else
    ScratchDir dir;
    const std::string file = dir.file("groot.db");
    const std::string cli = std::string(ZELK_BIN_DIR) + "/zelkextract2-cli";
    for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::signal(sig, SIG_DFL);  // a runner in the background ignores SIGINT and SIGQUIT
            ::alarm(60);             // never outlive a broken test
            ::execl(cli.c_str(), cli.c_str(), "demo-database", file.c_str(), "--assets", "2000000",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        // Killed while the file is being filled, not before it exists.
        const std::string pending = file + ".tmp-" + std::to_string(pid);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(pending) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const bool started = std::filesystem::exists(pending);
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(started) << sig;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig << " " << status;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << sig;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) std::filesystem::remove(e.path());
    }
#endif
}

TEST(DemoDatabase, HistoryDepthGivesTheShapeOfALongRunningAdministration) {
    ZELK_NEEDS_CLI();
    ScratchDir dir;
    DemoOptions deep;
    deep.assets = 2000;
    deep.historyDepth = 5.5;
    const std::string file = dir.file("diep.db");
    const DemoSummary s = createDemoDatabase(file, deep);
    EXPECT_EQ(s.assets, count(file, "OB"));  // the summary counts what the file holds
    EXPECT_EQ(s.history, count(file, "Historie"));
    EXPECT_EQ(s.historyValuations, count(file, "HI_Waardering"));
    const double perAsset = static_cast<double>(s.history) / static_cast<double>(s.assets);
    const double perRecord = static_cast<double>(s.historyValuations) / static_cast<double>(s.history);
    EXPECT_GT(perAsset, 5.0);  // a few assets have none, recent ones fewer
    EXPECT_LT(perAsset, 6.0);
    EXPECT_GT(perRecord, 1.9);
    EXPECT_LT(perRecord, 2.3);
    // The odd records the exports react to are still there.
    EXPECT_GT(count(file, "Historie WHERE DatBoe IS NULL"), 0);
    EXPECT_EQ(count(file, "Historie WHERE DatBoe > '2026-06-30'"), 2);  // only the last asset's

    // The standard mix is what no depth gives.
    DemoOptions standard;
    standard.assets = 300;
    DemoOptions explicitZero = standard;
    explicitZero.historyDepth = 0;
    createDemoDatabase(dir.file("a.db"), standard);
    createDemoDatabase(dir.file("b.db"), explicitZero);
    EXPECT_EQ(readBytes(dir.file("a.db")), readBytes(dir.file("b.db")));
    EXPECT_LT(count(dir.file("a.db"), "Historie") * 10, static_cast<long>(300 * 45));

    EXPECT_EQ(runCli("demo-database \"" + dir.file("c.db") + "\" --assets 20 --history-depth 3.5"), 0);
    EXPECT_EQ(runCli("demo-database \"" + dir.file("d.db") + "\" --history-depth veel"), 2);
    EXPECT_EQ(runCli("demo-database \"" + dir.file("d.db") + "\" --history-depth 0"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.db")));
}
