#pragma once
// The real export work of a running program: the three exports of the
// session and the workbook each one leaves behind.

#include "shell/export_jobs.h"

namespace zelk {

struct Session;

ExportJobs SessionExportJobs(Session& session);

}  // namespace zelk
