#include "exports/workbook_output.h"

#include "exports/export_folder.h"
#include "platform/responsive_work.h"
#include "session/session.h"
#include "spreadsheet/xlsx_writer.h"

namespace zelk {

std::string workbookBaseName(ExportKind kind) {
    switch (kind) {
    case ExportKind::Roerend: return "ZELK-Extract-1 Roerend";
    case ExportKind::Onroerend: return "ZELK-Extract-1 Onroerend";
    case ExportKind::Mapping: return "ZELK-Extract-2 Mapping";
    }
    return "ZELK-Extract";
}

namespace {

// A saved workbook lives on in its file (and in the desktop's spreadsheet
// program); every export starts an instance of its own, so without this each
// run would keep its whole workbook in memory until the program ends.
void releaseSavedWorkbook(Session& s) { s.exl.ExcelApp->Quit(); }

}  // namespace

bool saveAndShowActiveWorkbook(Session& s, ExportKind kind, bool open) {
    if (!s.exl.ExcelApp) return false;
    try {
        if (!saveAndShow(s.alg, s.exl.ExcelApp->ActiveWorkbook(), workbookBaseName(kind), open)) return false;
        releaseSavedWorkbook(s);
        return true;
    } catch (const RuntimeError& e) {
        s.alg.AddMsgBoxMelding(Variant("Werkmap is niet opgeslagen: " + e.description()), Variant("Opslaan werkmap"),
                               vbCritical, false, kRed, true);
        return false;
    }
}

bool saveActiveWorkbook(Session& s, const std::string& path) {
    std::string error = "geen werkmap";
    try {
        if (s.exl.ExcelApp) {
            SaveResult r;
            runResponsive(s.platform, kSavingLabel, [&] { r = saveAs(s.exl.ExcelApp->ActiveWorkbook(), path); });
            if (r) {
                s.alg.AddMelding(Variant("Werkmap opgeslagen: " + path));
                releaseSavedWorkbook(s);
                return true;
            }
            error = r.error;
        }
    } catch (const RuntimeError& e) {
        error = e.description();
    }
    s.alg.AddMsgBoxMelding(Variant("Werkmap '" + path + "' is niet opgeslagen: " + error), Variant("Opslaan werkmap"),
                           vbCritical, false, kRed, true);
    return false;
}

}  // namespace zelk
