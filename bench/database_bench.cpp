// Times the database layer of the exports on a large demo database: each
// export's query stepped with every field read, the count that gives the
// progress its total, and the movable export's history lookups (three dates
// per asset), with the peak memory after each part.
//   database_bench [ASSETS [HISTORY_DEPTH [DATABASE]]]   (default 100000, 5.5)
// With DATABASE, that file is used instead of a new demo database.
// Exits 1 when the demo database takes a minute or more to build.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "database/dbase.h"
#include "database/demo_database.h"
#include "database/field_cache.h"
#include "database/sqlite_connection.h"
#include "exports/export_sql.h"
#include "messages/alg.h"
#include "messages/datum_routines.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "valuation/waardering.h"

using namespace zelk;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    options.assets = argc > 1 ? std::atol(argv[1]) : 100000;
    options.historyDepth = argc > 2 ? std::atof(argv[2]) : 5.5;
    const auto dir = std::filesystem::temp_directory_path() / ("zelk-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string path = (dir / "demo.db").string();
    double build = 0;
    if (argc > 3) {
        path = argv[3];
    } else {
        auto t = Clock::now();
        const DemoSummary s = createDemoDatabase(path, options);
        build = since(t);
        std::printf("demo database, %ld assets (%ld history, %ld history values): %.2f s\n", s.assets, s.history,
                    s.historyValuations, build);
    }

    {
        auto db = SqliteConnection::open(path, {});
        if (!db->QueryDefExists("OG_WVW")) db->CreateQueryDef("OG_WVW", ogWvwSql());
        for (const auto& [name, sql] :
             {std::pair{"movable", movableAssetsSql()}, std::pair{"immovable", immovableAssetsSql()},
              std::pair{"mapping", categoryMappingSql()}}) {
            auto t = Clock::now();
            auto rs = db->OpenRecordset(sql, dbOpenDynaset);
            const std::size_t fields = rs->fieldNames().size();
            long n = 0;
            for (; !rs->Eof(); rs->MoveNext(), ++n)
                for (std::size_t f = 0; f < fields; ++f) rs->fieldAt(f);
            const double stepped = since(t);
            t = Clock::now();
            auto counted = db->OpenRecordset(sql, dbOpenDynaset);
            const long count = counted->RecordCount();
            std::printf("%-9s query: %ld rows, every field read: %.2f s; counted %ld: %.2f s; peak %.1f MB\n", name, n,
                        stepped, count, since(t), peakMb());
        }
    }

    ScriptedPlatform platform;
    Alg alg{platform};
    Dbase dbase{platform, alg};
    MdlWaardering w{dbase};
    std::string password;
    std::string file = path;
    const int db = dbase.OpenDatabase(file, "", password, true, "", false, false);
    const int rsH = dbase.OpenRecordset(db, "Historie", dbOpenTable);
    const int rsHW = dbase.OpenRecordset(db, "HI_Waardering", dbOpenTable);
    const int rsOb = dbase.OpenRecordset(db, "SELECT OGCODE, ICCODE, VLGNUM FROM OB", dbOpenDynaset);
    const Date p = makeDate(2025, 12, 31);
    const std::vector<Date> dates{p, FirstOfYear(p), addMonths(p, -1)};
    auto t = Clock::now();
    Recordset& ob = dbase.RsObject(db, rsOb);
    const FieldCache f({"OGCODE", "ICCODE", "VLGNUM"});
    long assets = 0, found = 0;
    for (; !ob.Eof(); ob.MoveNext(), ++assets) {
        const auto h = w.LeesHistorie(db, rsH, rsHW, f(ob, 0), f(ob, 1), f(ob, 2).toLong(), dates);
        found += h[0].HistorieOK ? 1 : 0;
    }
    std::printf("history of %ld assets (%ld found) on three dates: %.2f s; peak %.1f MB\n", assets, found, since(t),
                peakMb());
    dbase.CloseDatabase(db);

    if (argc <= 3) std::filesystem::remove_all(dir);
    if (build >= 60.0) {
        std::printf("FAILED: building the demo database took a minute or more\n");
        return 1;
    }
    return 0;
}
