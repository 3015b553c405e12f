#pragma once
// The three exports of the menu "Opdrachten" and RunExport, which runs any of
// them. Each runs to its end, reports its progress on the message screen and
// leaves its workbook as the active workbook of the spreadsheet application.
// True when the run reached "Done".

#include <optional>
#include <string>
#include <vector>

#include "runtime/variant.h"

namespace zelk {

struct Session;

// What the caller asks of one export run.
struct ExportRequest {
    // The date the asset figures are taken at. Without one the user is asked,
    // or, unattended, the first day of the current month is taken.
    std::optional<Date> processingDate;
    bool unattended = false;  // nobody to ask
};

bool Export1a(Session& session, const ExportRequest& request);  // movable assets, 'COM' history figures
bool Export1b(Session& session, const ExportRequest& request);  // immovable assets, 'IFR' history figures
bool Export2(Session& session);                                 // category mapping

enum class ExportKind { Roerend, Onroerend, Mapping };

// Runs one export; true when it reached "Done".
bool RunExport(Session& s, ExportKind kind, const ExportRequest& request);

// What a caller without a screen needs to explain a run's end.
struct ExportOutcome {
    bool done = false;                       // the run reached "Done"
    std::vector<std::string> missingSchema;  // the lines on what the database lacks
    long rowsNotWritten = 0;                 // rows the sheet refused
    long unreadableHistory = 0;              // objects whose history could not be read
};

// RunExport, with what the run's messages said about its faults as values.
ExportOutcome runExportWithOutcome(Session& s, ExportKind kind, const ExportRequest& request);

}  // namespace zelk
