#pragma once
// The export work the main window starts: each of the three exports, and
// what happens to a finished workbook. The program binds the real exports;
// tests can put their own work in.

#include <functional>

#include "exports/exports.h"

namespace zelk {

struct ExportJobs {
    // Runs one export; true when it reached "Done".
    std::function<bool(ExportKind, const ExportRequest&)> run;
    // Saves the finished workbook of that export in the export folder and
    // names it on the message screen; `open` also opens it in the desktop's
    // spreadsheet program. True when it was saved.
    std::function<bool(ExportKind, bool open)> keep;
};

}  // namespace zelk
