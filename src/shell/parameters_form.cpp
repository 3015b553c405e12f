#include "shell/parameters_form.h"

#include <filesystem>
#include <system_error>

#include "messages/alg.h"
#include "shell/setting_numbers.h"

namespace zelk {

FrmParameters::Fields FrmParameters::Form_Load() {
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    Fields f;
    f.txtDirectory = settings_.value(kAppTitle, "Database", "FileDir", cwd);
    // A check box knows only off and on. Any positive number switches the
    // autorun on, so it shows as on; anything else (also a damaged text) as
    // off, rather than refusing to open the dialog.
    const auto autorun = wholeNumberSetting(settings_.value(kAppTitle, "Database", "Autorun", "0"));
    f.chkAutoRun = autorun && *autorun > 0 ? 1 : 0;
    main_.ParmLoaded = true;
    return f;
}

void FrmParameters::Form_Unload(const Fields& fields) {
    settings_.set(kAppTitle, "Database", "FileDir", fields.txtDirectory);
    settings_.set(kAppTitle, "Database", "Autorun", std::to_string(fields.chkAutoRun));
    main_.ParmLoaded = false;
}

}  // namespace zelk
