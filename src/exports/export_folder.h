#pragma once
// Where finished workbooks go: the export folder (setting "Excel"/"ExportDir",
// by default a folder ZelkExtract in the user's documents), a file name that
// never overwrites anything, and the last step of an export: save, say so on
// the message screen, and open the workbook with the desktop's program.

#include <filesystem>
#include <optional>
#include <string>

#include "runtime/variant.h"

namespace zelk {

class Alg;
class Platform;
class Workbook;

// What the status bar says while a workbook is packed, checked and written.
constexpr const char* kSavingLabel = "Werkmap wordt opgeslagen…";

// The export folder as set, or ZelkExtract in the platform's documents
// folder. Not created here.
std::filesystem::path exportDirectory(Platform& platform);
// "<dir>/<baseName> YYYY-MM-DD HHMMSS.xlsx", or with " (2)", " (3)" ...
// before the extension when that name is taken. Throws
// std::filesystem::filesystem_error when a name cannot be tested and
// std::runtime_error when the first kMaxWorkbookNameTries are all taken.
constexpr int kMaxWorkbookNameTries = 1000;
std::filesystem::path freeWorkbookPath(const std::filesystem::path& dir, const std::string& baseName, Date now);

// Saves the workbook in the export folder (creating the folder) under a
// free name, adds "Werkmap opgeslagen: <path>" and, when `open`, opens it.
// A failure is reported with a message box; the result is then empty.
std::optional<std::filesystem::path> saveAndShow(Alg& alg, Workbook& book, const std::string& baseName, bool open);

}  // namespace zelk
