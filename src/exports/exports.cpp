#include "exports/exports.h"

namespace zelk {

bool RunExport(Session& s, ExportKind kind, const ExportRequest& request) {
    switch (kind) {
    case ExportKind::Roerend: return Export1a(s, request);
    case ExportKind::Onroerend: return Export1b(s, request);
    case ExportKind::Mapping: return Export2(s);
    }
    return false;
}

}  // namespace zelk
