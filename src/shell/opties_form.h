#pragma once
// The options dialog "Opties": the log-file option. Every click stores it.

#include "platform/settings_store.h"
#include "session/main_values.h"
#include "shell/window_placement.h"

namespace zelk {

class FrmOpties {
public:
    static constexpr TwipsRect kChkLogbestand{360, 360, 2655, 375};
    static constexpr TwipsRect kCmdClose{360, 1080, 1095, 375};

    FrmOpties(SettingsStore& settings, MainValues& main) : settings_(settings), main_(main) {}

    // The check box's value at load, 0 or 1. Setting it to 1 counts as a
    // click, so the view forwards that change to chkLogbestand_Click too.
    int Form_Load() const;
    void chkLogbestand_Click(int value);

private:
    SettingsStore& settings_;
    MainValues& main_;
};

}  // namespace zelk
