// zelkextract2-cli: unattended runs of the exports and the demo database.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "demo_database_command.h"
#include "export_command.h"
#include "help_texts.h"
#include "nearest_name.h"
#include "os/child_process.h"

namespace {

const std::vector<std::string> kCommands{"export", "demo-database", "help"};

int usage(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
    std::fputs(zelk::cli::programHelp().c_str(), stderr);
    return 2;
}

int printed(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    return 0;
}

std::string helpFor(const std::string& command) {
    if (command == "export") return zelk::cli::exportHelp();
    if (command == "demo-database") return zelk::cli::demoDatabaseHelp();
    return zelk::cli::programHelp();
}

int run(int argc, char** argv) {
    if (argc < 2) return usage("");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "-h" || command == "--help") return printed(zelk::cli::programHelp());
    if (command == "-V" || command == "--version") return printed(zelk::cli::versionText());
    if (command == "help") {
        if (args.empty()) return printed(zelk::cli::programHelp());
        if (std::find(kCommands.begin(), kCommands.end(), args[0]) == kCommands.end())
            return usage("Onbekend commando '" + args[0] + "'." + zelk::cli::suggestion(args[0], kCommands));
        if (args.size() > 1) return usage("'help' vraagt om één commando, niet meer.");
        return printed(helpFor(args[0]));
    }
    if (command == "export") return zelk::runExportCommand(argc - 2, argv + 2);
    if (command == "demo-database") return zelk::cli::runDemoDatabase(args);
    if (!command.empty() && command[0] == '-') {
        const std::size_t name = command.find_first_not_of('-');
        const std::string typed = name == std::string::npos ? "" : command.substr(name);
        return usage("Onbekende optie '" + command + "'." + zelk::cli::suggestion(typed, {"help", "version"}, "--"));
    }
    return usage("Onbekend commando '" + command + "'." + zelk::cli::suggestion(command, kCommands));
}

}  // namespace

int main(int argc, char** argv) {
    zelk::os::runIsolatedJobIfChild();  // a Windows child of this program does its job here
    const int status = run(argc, argv);
    // Help, version and the export's log go to standard output: a full disk
    // or a closed pipe there must not end as a run that went well.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "Schrijven naar de standaarduitvoer is mislukt.\n");
        return status == 0 ? 1 : status;
    }
    return status;
}
