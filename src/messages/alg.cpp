#include "messages/alg.h"

#include <exception>

#include "messages/file_open.h"
#include "platform/platform.h"
#include "runtime/number_format.h"
#include "runtime/text.h"

namespace zelk {

Alg::Alg(Platform& platform) : platform_(platform) {}
Alg::~Alg() = default;

void Alg::AddMelding(const Variant& MeldTxt, int Fase, bool Startpunt, std::uint32_t Kleur) {
    // A message line must never fail towards its caller: every step that
    // fails is skipped.
    std::string text;
    try {
        text = displayText(MeldTxt);
    } catch (const std::exception&) {
    }
    try {
        if (LogFileNumber > 0 && (LogFileCommandMode & kLogEveryLine)) files_.printLine(LogFileNumber, text);
    } catch (const std::exception&) {
    }
    try {
        if (listener_) listener_(text, Fase, Kleur);
    } catch (const std::exception&) {
    }
    try {
        screen_.add(text, (Fase & kFaseNoLineBreak) == 0, Startpunt, Kleur);
    } catch (const std::exception&) {
    }
    try {
        platform_.doEvents();
    } catch (const std::exception&) {
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

void Alg::OpenLogFile(std::string& LogFileName, const std::string& FileMode, int FileCommandMode,
                      const std::string& FileDir) {
    SettingsStore& settings = platform_.settings();
    if (LogFileName.empty())
        LogFileName = settings.value(kAppTitle, "Main", "LogFile", std::string(kAppTitle) + ".Log");
    if (LogFileCommandMode == 0) {
        // A stored value that is no number counts as 0.
        const double stored = val(settings.value(kAppTitle, "Main", "CommandMode", "0"));
        LogFileCommandMode = stored >= -32768 && stored <= 32767 ? static_cast<std::int16_t>(stored) : 0;
    }
    // A second call replaces the log instead of leaving the first one open
    // under a number nobody holds any more.
    if (LogFileNumber > 0) files_.close(LogFileNumber);
    LogFileNumber = static_cast<std::int16_t>(
        FileOpen(*this, LogFileName, "Logfiles (*.log)|*.log|Alle bestanden (*.*)|*.*", FileMode, FileDir));
    LogFileCommandMode = static_cast<std::int16_t>(FileCommandMode);
    // A log the user gave up on is not remembered: the next start must still
    // find the one used before instead of asking again.
    if (LogFileNumber > 0) settings.set(kAppTitle, "Main", "LogFile", LogFileName);
    settings.set(kAppTitle, "Main", "CommandMode", std::to_string(LogFileCommandMode));
}

void Alg::AfdrukkenMeldingen() {
    std::vector<PrintPiece> pieces;
    // CR LF, a lone CR and a lone LF each end a line, as on the screen; a
    // pair may straddle two colours.
    bool afterCr = false;
    for (const MessageScreen::Piece& p : screen_.selectedOrAll()) {
        std::u32string text;
        text.reserve(p.text.size());
        for (const char32_t c : p.text) {
            if (!(afterCr && c == U'\n')) text += c == U'\r' ? U'\n' : c;
            afterCr = c == U'\r';
        }
        pieces.push_back({u32ToUtf8(text), p.colour});
    }
    platform_.printText("Meldingen", pieces);
}

}  // namespace zelk
