#include "exports/workbook_output.h"

#include "exports/exports.h"
#include "shell/session.h"
#include "spreadsheet/export_folder.h"
#include "spreadsheet/xlsx_writer.h"

namespace zelk {

bool RunExport(Session& s, ExportKind kind) {
    switch (kind) {
    case ExportKind::Roerend: return Export1a(s);
    case ExportKind::Onroerend: return Export1b(s);
    case ExportKind::Mapping: return Export2(s);
    }
    return false;
}

std::string workbookBaseName(ExportKind kind) {
    switch (kind) {
    case ExportKind::Roerend: return "ZELK-Extract-1 Roerend";
    case ExportKind::Onroerend: return "ZELK-Extract-1 Onroerend";
    case ExportKind::Mapping: return "ZELK-Extract-2 Mapping";
    }
    return "ZELK-Extract";
}

bool SaveAndShowActiveWorkbook(Session& s, ExportKind kind, bool open) {
    if (!s.exl.ExcelApp) return false;
    try {
        return SaveAndShow(s.alg, s.exl.ExcelApp->ActiveWorkbook(), workbookBaseName(kind), open).has_value();
    } catch (const RuntimeError& e) {
        s.alg.AddMsgBoxMelding(Variant("Werkmap is niet opgeslagen: " + e.description()),
                               Variant("Opslaan werkmap"), vbCritical, false, kRed, true);
        return false;
    }
}

bool saveActiveWorkbook(Session& s, const std::string& path) {
    std::string error = "geen werkmap";
    try {
        if (s.exl.ExcelApp) {
            const SaveResult r = saveAs(s.exl.ExcelApp->ActiveWorkbook(), path);
            if (r) {
                s.alg.AddMelding(Variant("Werkmap opgeslagen: " + path));
                return true;
            }
            error = r.error;
        }
    } catch (const RuntimeError& e) {
        error = e.description();
    }
    s.alg.AddMsgBoxMelding(Variant("Werkmap '" + path + "' is niet opgeslagen: " + error),
                           Variant("Opslaan werkmap"), vbCritical, false, kRed, true);
    return false;
}

}  // namespace zelk
