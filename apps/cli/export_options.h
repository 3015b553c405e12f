#pragma once
// The arguments of "zelkextract2-cli export", read with Qt's command-line
// parser: --opt value and --opt=value, short forms, a hint for a typo.

#include <optional>
#include <string>
#include <vector>

#include "runtime/variant.h"

namespace zelk::cli {

struct ExportOptions {
    std::optional<std::string> database;
    std::optional<std::string> password;  // from --password, --password-file or ZELK_PASSWORD
    std::optional<std::string> date;      // checked, passed on as typed
    std::optional<Date> now;
    std::string output = ".";
    std::vector<std::string> exports;  // "roerend", "onroerend", "mapping" in the order asked
    bool help = false;
};

// The options, or the line that explains the usage error.
struct ExportArguments {
    std::optional<ExportOptions> options;
    std::string error;
};

ExportArguments parseExportArguments(const std::vector<std::string>& args);

}  // namespace zelk::cli
