// zelkextract2-cli: unattended runs of the exports and the demo database.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "demo_database_command.h"
#include "export_command.h"
#include "help_texts.h"
#include "nearest_name.h"

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

bool asksHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "-h" || a == "--help" || a == "-help") return true;
    }
    return false;
}

// "--assets=5" as "--assets 5", the form the demo command reads.
std::vector<std::string> withSeparateValues(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const std::string& a : args) {
        const std::size_t eq = a.find('=');
        if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
            out.push_back(a.substr(0, eq));
            out.push_back(a.substr(eq + 1));
        } else {
            out.push_back(a);
        }
    }
    return out;
}

// The demo command names an option it does not know; the nearest known one
// is added here.
void hintDemoOption(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a.rfind("--", 0) != 0) continue;
        const std::string hint = zelk::cli::suggestion(a.substr(2), {"assets", "seed", "help"}, "--");
        if (!hint.empty()) std::fprintf(stderr, "%s\n", hint.substr(1).c_str());
    }
}

std::string helpFor(const std::string& command) {
    if (command == "export") return zelk::cli::exportHelp();
    if (command == "demo-database") return zelk::cli::demoDatabaseHelp();
    return zelk::cli::programHelp();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage("");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "-h" || command == "--help") return printed(zelk::cli::programHelp());
    if (command == "-V" || command == "--version") return printed(zelk::cli::versionText());
    if (command == "help") {
        if (args.empty()) return printed(zelk::cli::programHelp());
        if (args.size() == 1 && std::find(kCommands.begin(), kCommands.end(), args[0]) != kCommands.end())
            return printed(helpFor(args[0]));
        return usage("Onbekend commando '" + args[0] + "'." + zelk::cli::suggestion(args[0], kCommands));
    }
    if (command == "export") return zelk::runExportCommand(argc - 2, argv + 2);
    if (command == "demo-database") {
        if (asksHelp(args)) return printed(zelk::cli::demoDatabaseHelp());
        const std::vector<std::string> separated = withSeparateValues(args);
        const int status = zelk::cli::runDemoDatabase(separated);
        if (status == 2) hintDemoOption(separated);
        return status;
    }
    if (!command.empty() && command[0] == '-') {
        const std::size_t name = command.find_first_not_of('-');
        const std::string typed = name == std::string::npos ? "" : command.substr(name);
        return usage("Onbekende optie '" + command + "'." + zelk::cli::suggestion(typed, {"help", "version"}, "--"));
    }
    return usage("Onbekend commando '" + command + "'." + zelk::cli::suggestion(command, kCommands));
}
