#pragma once
// What happens to an export's workbook once the export reached "Done": the
// desktop saves it in the export folder under a new name and opens it; the
// command line writes it under a fixed name.

#include <string>

#include "exports/exports.h"

namespace zelk {

struct Session;

// The name a saved workbook starts with ("ZELK-Extract-1 Roerend", ...).
std::string workbookBaseName(ExportKind kind);

// Saves the active workbook in the export folder under a name that is free,
// names the file on the message screen and, when `open`, opens it with the
// desktop's spreadsheet program. False (after a message box) when it failed.
bool saveAndShowActiveWorkbook(Session& s, ExportKind kind, bool open);

// Writes the active workbook to `path`, replacing a file there in one step.
// A failure is reported on the message screen and in a message box.
bool saveActiveWorkbook(Session& s, const std::string& path);

}  // namespace zelk
