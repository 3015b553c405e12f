#include "shell/opties_form.h"

#include <string>

#include "exports/export_folder.h"
#include "messages/alg.h"
#include "shell/setting_numbers.h"

namespace zelk {

int FrmOpties::Form_Load() const {
    const auto v = wholeNumberSetting(platform_.settings().value(kAppTitle, "Logbestand", "Filename", "0"));
    return v && *v > 0 ? 1 : 0;
}

void FrmOpties::chkLogbestand_Click(int value) {
    const std::string text = std::to_string(value);
    platform_.settings().set(kAppTitle, "Logbestand", "Filename", text);
    main_.Logbestand = text;
}

std::string FrmOpties::txtExportDir_Load() const { return exportDirectory(platform_).string(); }

void FrmOpties::txtExportDir_Change(const std::string& text) {
    platform_.settings().set(kAppTitle, "Excel", "ExportDir", text);
}

std::optional<std::string> FrmOpties::cmdBladeren_Click(const std::string& current) {
    FileDialogRequest request;
    request.title = "Kies de map voor de werkmappen";
    request.initDir = current;
    request.folder = true;
    const auto chosen = platform_.fileDialog(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    txtExportDir_Change(*chosen);
    return chosen;
}

}  // namespace zelk
