// Times the database layer on a large demo database: building it, the three
// exports' queries as recordsets, and the history lookups' index seeks.
//   database_bench [ASSETS]   (default 100000)
// Exits 1 when the demo database takes a minute or more to build.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "database/database.h"
#include "database/demo_database.h"
#include "exports/export_sql.h"

using namespace zelk;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

const std::string kMovable = zelk::movableAssetsSql();
const std::string kImmovable = zelk::immovableAssetsSql();
const std::string kGrouping = zelk::ogWvwSql();
const std::string kMapping = zelk::categoryMappingSql();

}  // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    options.assets = argc > 1 ? std::atol(argv[1]) : 100000;
    const auto dir = std::filesystem::temp_directory_path() / ("zelk-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "demo.db").string();

    auto t = Clock::now();
    const DemoSummary s = createDemoDatabase(path, options);
    const double build = since(t);
    std::printf("demo database, %ld assets (%ld history, %ld history values): %.2f s\n", s.assets, s.history,
                s.historyValuations, build);

    {
        auto db = Database::open(path, {});
        db->CreateQueryDef("OG_WVW", kGrouping);
        for (const auto& [name, sql] : {std::pair{"movable", &kMovable}, std::pair{"immovable", &kImmovable},
                                         std::pair{"mapping", &kMapping}}) {
            t = Clock::now();
            auto rs = db->OpenRecordset(*sql, dbOpenDynaset);
            long n = 0;
            for (; !rs->Eof(); rs->MoveNext()) {
                rs->Field("OGCODE");
                ++n;
            }
            std::printf("%-9s query: %ld rows, %.2f s\n", name, n, since(t));
        }

        t = Clock::now();
        auto hist = db->OpenRecordset("Historie", dbOpenTable);
        auto values = db->OpenRecordset("HI_Waardering", dbOpenTable);
        std::printf("history tables loaded: %.2f s\n", since(t));
        hist->SetIndex("OgCodRev");
        values->SetIndex("OgCode");
        std::printf("history tables loaded and ordered: %.2f s\n", since(t));

        t = Clock::now();
        auto ob = db->OpenRecordset("SELECT OGCODE, ICCODE, VLGNUM FROM OB", dbOpenDynaset);
        long seeks = 0;
        for (; !ob->Eof(); ob->MoveNext())
            for (int k = 0; k < 3; ++k) {
                hist->Seek(">=", {ob->Field("OGCODE"), ob->Field("ICCODE"), ob->Field("VLGNUM")});
                if (!hist->NoMatch())
                    values->Seek(">=", {ob->Field("OGCODE"), ob->Field("ICCODE"), ob->Field("VLGNUM"),
                                        hist->Field("RECNO")});
                ++seeks;
            }
        std::printf("%ld history seeks with their value seeks: %.2f s\n", seeks, since(t));
    }
    std::filesystem::remove_all(dir);
    if (build >= 60.0) {
        std::printf("FAILED: building the demo database took a minute or more\n");
        return 1;
    }
    return 0;
}
