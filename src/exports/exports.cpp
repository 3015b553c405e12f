#include "exports/exports.h"

#include "exports/schema_check.h"
#include "session/session.h"

namespace zelk {

bool RunExport(Session& s, ExportKind kind, const ExportRequest& request) {
    switch (kind) {
    case ExportKind::Roerend: return Export1a(s, request);
    case ExportKind::Onroerend: return Export1b(s, request);
    case ExportKind::Mapping: return Export2(s);
    }
    return false;
}

ExportOutcome runExportWithOutcome(Session& s, ExportKind kind, const ExportRequest& request) {
    ExportOutcome outcome;
    const long lostBefore = s.exl.rowsNotWritten();
    const long unreadableBefore = s.waardering.objectsWithUnreadableHistory();
    outcome.missingSchema = missingSchemaIn(s, s.main.dbMain, exportNeeds(kind));
    outcome.done = RunExport(s, kind, request);
    outcome.rowsNotWritten = s.exl.rowsNotWritten() - lostBefore;
    outcome.unreadableHistory = s.waardering.objectsWithUnreadableHistory() - unreadableBefore;
    return outcome;
}

}  // namespace zelk
