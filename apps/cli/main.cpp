// zelkextract2-cli: unattended runs of the exports and the demo database.
#include <cstdio>
#include <string>
#include <vector>

#include "demo_database_command.h"
#include "export_command.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "Gebruik:\n"
                 "  zelkextract2-cli export [--database FILE] [--password TEXT] [--date DATE]\n"
                 "                          [--output DIR] [--now DATETIME] EXPORT...\n"
                 "  zelkextract2-cli demo-database FILE [--assets N] [--seed N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "export") return zelk::runExportCommand(argc - 2, argv + 2);
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "demo-database") return zelk::cli::runDemoDatabase(args);
    return usage();
}
