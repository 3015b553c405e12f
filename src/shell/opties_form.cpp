#include "shell/opties_form.h"

#include <string>

#include "messages/alg.h"
#include "shell/setting_numbers.h"

namespace zelk {

int FrmOpties::Form_Load() const {
    const auto v = WholeNumberSetting(settings_.value(kAppTitle, "Logbestand", "Filename", "0"));
    return v && *v > 0 ? 1 : 0;
}

void FrmOpties::chkLogbestand_Click(int value) {
    const std::string text = std::to_string(value);
    settings_.set(kAppTitle, "Logbestand", "Filename", text);
    main_.Logbestand = text;
}

}  // namespace zelk
