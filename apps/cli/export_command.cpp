#include "export_command.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exports/exports.h"
#include "exports/workbook_output.h"
#include "platform/batch_platform.h"
#include "qt_settings_store.h"
#include "runtime/dates.h"
#include "session/session.h"

namespace zelk {
namespace {

constexpr const char* kDefaultPassword = "vastactiva";

struct Options {
    std::optional<std::string> database, password, date, now;
    std::string output = ".";
    std::vector<std::string> exports;
};

int usage(const std::string& why) {
    std::fprintf(stderr,
                 "%s\nGebruik: zelkextract2-cli export [--database FILE] [--password TEXT] [--date DATE]\n"
                 "                                [--output DIR] [--now DATETIME] EXPORT...\n"
                 "         EXPORT: roerend | onroerend | mapping | all\n",
                 why.c_str());
    return 2;
}

// "YYYY-MM-DDTHH:MM:SS"
std::optional<Date> parseNow(const std::string& text) {
    int y, mo, d, h, mi, s;
    char t;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &y, &mo, &d, &t, &h, &mi, &s) != 7 || t != 'T')
        return std::nullopt;
    if (!parseDate(text.substr(0, 10)) || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
        return std::nullopt;
    return makeDateTime({y, mo, d, h, mi, s});
}

struct ExportSpec {
    const char* word;
    const char* file;
    ExportKind kind;
};
const ExportSpec kExports[] = {
    {"roerend", "roerend.xlsx", ExportKind::Roerend},
    {"onroerend", "onroerend.xlsx", ExportKind::Onroerend},
    {"mapping", "mapping.xlsx", ExportKind::Mapping},
};

}  // namespace

int runExportCommand(int argc, char** argv) {
    Options o;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::optional<std::string>& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (a == "--database") {
            if (!value(o.database)) return usage("--database verwacht een bestand");
        } else if (a == "--password") {
            if (!value(o.password)) return usage("--password verwacht een wachtwoord");
        } else if (a == "--date") {
            if (!value(o.date)) return usage("--date verwacht een datum");
        } else if (a == "--now") {
            if (!value(o.now)) return usage("--now verwacht een datum en tijd");
        } else if (a == "--output") {
            std::optional<std::string> out;
            if (!value(out)) return usage("--output verwacht een map");
            o.output = *out;
        } else if (a == "all") {
            for (const auto& e : kExports) o.exports.push_back(e.word);
        } else if (a == "roerend" || a == "onroerend" || a == "mapping") {
            o.exports.push_back(a);
        } else {
            return usage("Onbekend argument: '" + a + "'");
        }
    }
    if (o.exports.empty()) return usage("Geen export opgegeven");
    std::optional<Date> fixedNow;
    if (o.now && !(fixedNow = parseNow(*o.now))) return usage("Ongeldige --now: '" + *o.now + "' (JJJJ-MM-DDTUU:MM:SS)");
    if (o.date && !parseDate(*o.date)) return usage("Ongeldige --date: '" + *o.date + "' (DD-MM-JJJJ of JJJJ-MM-DD)");
    if (!std::filesystem::is_directory(o.output)) return usage("Uitvoermap bestaat niet: '" + o.output + "'");

    QtSettingsStore settings;
    BatchPlatform platform(settings, fixedNow);
    platform.setShowProgress(isatty(STDERR_FILENO));
    Session s(platform);
    // Every message line goes to stdout as it is logged; a label written
    // without a line break is continued by the next message, as on screen.
    s.alg.setMessageListener([](const std::string& text, int fase, std::uint32_t) {
        std::fputs(plainLines(text).c_str(), stdout);
        if ((fase & kFaseNoLineBreak) == 0) std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    ExportRequest request;
    request.unattended = true;
    if (o.date) request.processingDate = parseDate(*o.date);

    std::string name = o.database.value_or(settings.value(kAppTitle, "Database", "Database", ""));
    if (name.empty()) {
        std::fprintf(stderr, "Geen database opgegeven (--database) en geen database in de instellingen.\n");
        return 1;
    }
    std::string password = o.password.value_or(kDefaultPassword);
    const std::string dir = std::filesystem::path(name).parent_path().string();
    s.main.dbMain = s.dbase.OpenDatabase(name, dir, password, true, "", false, false, std::nullopt, std::nullopt,
                                         false, true, false);
    if (s.main.dbMain <= 0) return 1;

    int status = 0;
    for (const std::string& word : o.exports) {
        for (const auto& e : kExports) {
            if (word != e.word) continue;
            if (!RunExport(s, e.kind, request)) {
                status = 1;
                continue;
            }
            const auto path = std::filesystem::path(o.output) / e.file;
            if (!saveActiveWorkbook(s, path.string())) status = 1;
        }
    }
    s.dbase.CloseDatabase(s.main.dbMain);
    // The workbooks are saved, but they lack rows: not a clean run.
    if (s.exl.rowsNotWritten() > 0) status = 1;
    return status;
}

}  // namespace zelk
