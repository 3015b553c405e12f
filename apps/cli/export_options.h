#pragma once
// The arguments of "zelkextract2-cli export".

#include <optional>
#include <string>
#include <vector>

#include "exports/exports.h"
#include "runtime/variant.h"

namespace zelk::cli {

// An export the command runs: the word that asks for it and its workbook's name.
struct ExportChoice {
    const char* word;
    const char* file;
    ExportKind kind;
};

struct ExportOptions {
    std::optional<std::string> database;
    std::optional<std::string> password;  // from --password, --password-file or ZELK_PASSWORD
    std::optional<Date> date;
    std::optional<Date> now;
    std::string output = ".";
    std::vector<ExportChoice> exports;  // in the order asked
    bool help = false;
};

// The options, or the line that explains the usage error.
struct ExportArguments {
    std::optional<ExportOptions> options;
    std::string error;
};

ExportArguments parseExportArguments(const std::vector<std::string>& args);

}  // namespace zelk::cli
