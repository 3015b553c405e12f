#pragma once
// The parameters dialog "Parameters": the directory text and the autorun
// switch. While it is open the autorun waits (ParmLoaded).

#include <string>

#include "platform/settings_store.h"
#include "session/main_values.h"
#include "shell/window_placement.h"

namespace zelk {

class FrmParameters {
public:
    struct Fields {
        std::string txtDirectory;
        int chkAutoRun = 0;  // 0 off, 1 on
    };

    // Places in twips.
    static constexpr TwipsRect kForm{500, 500, 5000, 1500};
    static constexpr TwipsRect kLblDirectory{120, 120, 1095, 255};
    static constexpr TwipsRect kTxtDirectory{1200, 120, 3255, 285};
    static constexpr TwipsRect kChkAutoRun{1200, 480, 1215, 375};
    static constexpr TwipsRect kCmdSluiten{2640, 600, 1455, 255};

    FrmParameters(SettingsStore& settings, MainValues& main) : settings_(settings), main_(main) {}

    // The values the dialog opens with; the autorun waits from now on.
    Fields Form_Load();
    // Closing the dialog, by its button or otherwise, stores what it shows.
    void Form_Unload(const Fields& fields);

private:
    SettingsStore& settings_;
    MainValues& main_;
};

}  // namespace zelk
