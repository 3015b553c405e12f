// zelkextract2-cli: unattended runs of the exports and the demo database.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    std::fprintf(stderr,
                 "Gebruik:\n"
                 "  zelkextract2-cli export [--database FILE] [--password TEXT] [--date DATE]\n"
                 "                          [--output DIR] [--now DATETIME] EXPORT...\n"
                 "  zelkextract2-cli demo-database FILE [--assets N] [--seed N]\n");
    return argc > 1 ? 2 : 2;
}
