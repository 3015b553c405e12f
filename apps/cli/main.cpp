// zelkextract2-cli: unattended runs of the exports and the demo database.
#include <cstdio>
#include <string>

#include "export_command.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "export") return zelk::runExportCommand(argc - 2, argv + 2);
    std::fprintf(stderr,
                 "Gebruik:\n"
                 "  zelkextract2-cli export [--database FILE] [--password TEXT] [--date DATE]\n"
                 "                          [--output DIR] [--now DATETIME] EXPORT...\n"
                 "  zelkextract2-cli demo-database FILE [--assets N] [--seed N]\n");
    return 2;
}
