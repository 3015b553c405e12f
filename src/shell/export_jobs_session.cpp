#include "shell/export_jobs_session.h"

#include "exports/workbook_output.h"
#include "session/session.h"

namespace zelk {

ExportJobs SessionExportJobs(Session& session) {
    ExportJobs jobs;
    jobs.run = [&session](ExportKind kind, const ExportRequest& request) { return RunExport(session, kind, request); };
    jobs.keep = [&session](ExportKind kind, bool open) { return saveAndShowActiveWorkbook(session, kind, open); };
    return jobs;
}

}  // namespace zelk
