#pragma once
// The options dialog "Opties": the log-file option and the folder finished
// workbooks are saved in. Every change is stored at once.

#include <optional>
#include <string>

#include "platform/platform.h"
#include "session/main_values.h"
#include "shell/window_placement.h"

namespace zelk {

class FrmOpties {
public:
    static constexpr TwipsRect kChkLogbestand{360, 360, 2655, 375};
    static constexpr TwipsRect kCmdClose{360, 1080, 1095, 375};

    FrmOpties(Platform& platform, MainValues& main) : platform_(platform), main_(main) {}

    // The check box's value at load, 0 or 1. Setting it to 1 counts as a
    // click, so the view forwards that change to chkLogbestand_Click too.
    int Form_Load() const;
    void chkLogbestand_Click(int value);

    // The export folder the workbooks go to (setting "Excel"/"ExportDir",
    // or the default when none is set).
    std::string txtExportDir_Load() const;
    // A typed folder is stored as typed; an empty one brings the default back.
    void txtExportDir_Change(const std::string& text);
    // Asks for a folder, starting at `current`; the chosen one is stored and
    // returned, nothing when the dialog was cancelled.
    std::optional<std::string> cmdBladeren_Click(const std::string& current);

private:
    Platform& platform_;
    MainValues& main_;
};

}  // namespace zelk
