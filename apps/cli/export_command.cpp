#include "export_command.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export_options.h"
#include "exports/export_run.h"
#include "exports/exports.h"
#include "exports/workbook_output.h"
#include "help_texts.h"
#include "os/system_reason.h"
#include "os/terminal.h"
#include "platform/batch_platform.h"
#include "qt_settings_store.h"
#include "runtime/dates.h"
#include "runtime/product.h"
#include "runtime/text.h"
#include "session/session.h"

namespace zelk {
namespace {

int usage(const std::string& why) {
    std::fprintf(stderr, "%s\nMeer uitleg: zelkextract2-cli export --help\n", why.c_str());
    return 2;
}

// Lines that explain a failure also belong on stderr, where a script looks
// for them; stdout keeps every line as it was logged.
void explain(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

int runExportCommand(int argc, char** argv) {
    const cli::ExportArguments parsed = cli::parseExportArguments(std::vector<std::string>(argv, argv + argc));
    if (!parsed.options) return usage(parsed.error);
    const cli::ExportOptions& o = *parsed.options;
    if (o.help) {
        std::fputs(cli::exportHelp().c_str(), stdout);
        return 0;
    }
    const std::optional<Date> fixedNow = o.now;
    // A folder that cannot even be looked at (no access, a name too long, a
    // loop of links) is refused like one that cannot be made.
    std::error_code ec;
    std::filesystem::create_directories(o.output, ec);
    std::error_code seen;
    if (!std::filesystem::is_directory(o.output, seen)) {
        if (!ec) ec = seen;
        const std::string why = ec ? ": " + os::reasonText(ec) : "";
        std::fprintf(stderr, "Uitvoermap '%s' kan niet worden aangemaakt%s\n", o.output.c_str(), why.c_str());
        return 1;
    }

    QtSettingsStore settings;
    BatchPlatform platform(settings, fixedNow);
    platform.setShowProgress(os::isTerminal(stderr));
    Session s(platform);
    // Every message line goes to stdout as it is logged; a label written
    // without a line break is continued by the next message, as on screen.
    std::vector<std::string> linesSinceMark;
    s.alg.setMessageListener([&linesSinceMark](const std::string& text, int fase, std::uint32_t) {
        const std::string plain = plainLines(text);
        std::fputs(plain.c_str(), stdout);
        if ((fase & kFaseNoLineBreak) == 0) std::fputc('\n', stdout);
        std::fflush(stdout);
        linesSinceMark.push_back(plain);
    });
    ExportRequest request;
    request.unattended = true;
    request.processingDate = o.date;

    std::string name = o.database.value_or(settings.value(kAppTitle, "Database", "Database", ""));
    if (name.empty()) {
        std::fprintf(stderr, "Geen database opgegeven (--database) en geen database in de instellingen.\n");
        return 1;
    }
    std::string password = o.password.value_or(kDefaultPassword);
    const std::string dir = std::filesystem::path(name).parent_path().string();
    linesSinceMark.clear();
    OpenDatabaseOptions options;
    options.startDir = dir;
    options.askNewName = false;  // nobody to ask: a name that does not open fails the run
    s.main.dbMain = s.dbase.openDatabase(name, password, options);
    if (s.main.dbMain <= 0) {
        explain(linesSinceMark);
        return 1;
    }

    int status = 0;
    for (const cli::ExportChoice& e : o.exports) {
        const ExportOutcome outcome = runExportWithOutcome(s, e.kind, request);
        // What explains exit 1 also goes to stderr, where a script looks for it.
        explain(outcome.missingSchema);
        if (!outcome.done) {
            status = 1;
            continue;
        }
        if (outcome.rowsNotWritten > 0) {
            // The workbook is saved, but it lacks rows: not a clean run.
            explain({std::string(e.word) + ": " + rowsNotWrittenLine(outcome.rowsNotWritten)});
            status = 1;
        }
        if (outcome.unreadableHistory > 0) {
            // Saved too, but the figures of those objects are zeros, not theirs.
            explain({std::string(e.word) + ": " + unreadableHistoryLine(outcome.unreadableHistory)});
            status = 1;
        }
        const auto path = std::filesystem::path(o.output) / e.file;
        if (!saveActiveWorkbook(s, path.string())) status = 1;
    }
    s.dbase.CloseDatabase(s.main.dbMain);
    return status;
}

}  // namespace zelk
