#include "messages/alg.h"

#include "platform/platform.h"

namespace zelk {

Alg::Alg(Platform& platform) : platform_(platform) {}
Alg::~Alg() = default;

void Alg::AddMelding(const Variant& MeldTxt, int Fase, bool Startpunt, std::uint32_t Kleur) {
    // A message line must never fail towards its caller: every step that
    // fails is skipped.
    std::string text;
    try {
        text = displayText(MeldTxt);
    } catch (...) {
    }
    try {
        if (LogFileNumber > 0 && (LogFileCommandMode & 1) && log_) log_->writeLine(text);
    } catch (...) {
    }
    try {
        screen_.add(text, (Fase & kFaseNoLineBreak) == 0, Startpunt, Kleur);
    } catch (...) {
    }
    try {
        platform_.doEvents();
    } catch (...) {
    }
}

void Alg::AddMsgBoxMelding(const Variant& MeldTxt1, const Variant& MeldTxt2, int SoortBox, bool Startpunt,
                           std::uint32_t Kleur, bool MsgBoxMelding) {
    const std::string title = displayText(MeldTxt2);
    if (title.empty()) AddMelding(MeldTxt1, 0, Startpunt, Kleur);
    else AddMelding(displayText(MeldTxt1) + "\r\n" + title, 0, Startpunt, Kleur);
    if (MsgBoxMelding) platform_.msgBox(displayText(MeldTxt1), SoortBox, title);
}

int Alg::AddMsgBoxMeldingJN(const Variant& MeldTxt1, const Variant& MeldTxt2, int SoortBox, bool Startpunt,
                            std::uint32_t Kleur) {
    const std::string title = displayText(MeldTxt2);
    if (title.empty()) AddMelding(MeldTxt1, 0, Startpunt, Kleur);
    else AddMelding(displayText(MeldTxt1) + "\r\n" + title, 0, Startpunt, Kleur);
    const int answer = platform_.msgBox(displayText(MeldTxt1), SoortBox | vbYesNo, title);
    platform_.doEvents();
    return answer;
}

}  // namespace zelk
