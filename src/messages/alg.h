#pragma once
// The message screen "Meldingen": every Part reports its progress here, and
// each line also goes to the log file while the log is open. Message boxes
// that need the user go through the platform.

#include <cstdint>
#include <string>

#include "messages/message_screen.h"
#include "runtime/variant.h"

namespace zelk {

class Platform;
class LogFile;

// Colours as red + 256 * green + 65536 * blue.
constexpr std::uint32_t kBlack = 0;
constexpr std::uint32_t kRed = 255;
constexpr std::uint32_t kGreeting = 6710784;

// Fase bit: no line break after the text.
constexpr int kFaseNoLineBreak = 8;

class Alg {
public:
    explicit Alg(Platform& platform);
    ~Alg();
    Alg(const Alg&) = delete;
    Alg& operator=(const Alg&) = delete;

    void AddMelding(const Variant& MeldTxt, int Fase = 0, bool Startpunt = false, std::uint32_t Kleur = kBlack);
    void AddMsgBoxMelding(const Variant& MeldTxt1, const Variant& MeldTxt2 = Variant(""), int SoortBox = 0,
                          bool Startpunt = false, std::uint32_t Kleur = kBlack, bool MsgBoxMelding = false);
    int AddMsgBoxMeldingJN(const Variant& MeldTxt1, const Variant& MeldTxt2 = Variant(""), int SoortBox = 0,
                           bool Startpunt = false, std::uint32_t Kleur = kBlack);
    void ClearAlg() { screen_.clear(); }

    MessageScreen& screen() { return screen_; }
    Platform& platform() { return platform_; }

    // Log switches (bit 1: write every line) and the log's file number (> 0: open).
    std::int16_t LogFileCommandMode = 0;
    std::int16_t LogFileNumber = 0;

    // Where lines go when the log is open; set by OpenLogFile.
    void setLogSink(LogFile* sink) { log_ = sink; }

private:
    Platform& platform_;
    MessageScreen screen_;
    LogFile* log_ = nullptr;
};

// A log file: each line becomes its text in Windows-1252 followed by CR LF.
class LogFile {
public:
    virtual ~LogFile() = default;
    virtual void writeLine(const std::string& utf8) = 0;
};

}  // namespace zelk
