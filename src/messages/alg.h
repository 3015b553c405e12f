#pragma once
// The message screen "Meldingen": every part of the program reports its
// progress here, and each line also goes to the log file while the log is
// open. Message boxes that need the user go through the platform. The screen
// also owns the program's file numbers and directory search, which the file
// services (file_open.h, file_services.h) work on.

#include <cstdint>
#include <functional>
#include <string>

#include "messages/alg_layout.h"
#include "messages/dir_search.h"
#include "messages/file_table.h"
#include "messages/message_screen.h"
#include "runtime/product.h"
#include "runtime/variant.h"

namespace zelk {

class Platform;

// Colours as red + 256 * green + 65536 * blue.
constexpr std::uint32_t kBlack = 0;
constexpr std::uint32_t kRed = 255;
constexpr std::uint32_t kGreeting = 6710784;

// Fase bit: no line break after the text.
constexpr int kFaseNoLineBreak = 8;
// LogFileCommandMode bit: write every message line to the log file.
constexpr int kLogEveryLine = 1;

class Alg {
public:
    explicit Alg(Platform& platform);
    ~Alg();
    Alg(const Alg&) = delete;
    Alg& operator=(const Alg&) = delete;

    // A message line: to the log (when open and switched on), then onto the
    // screen, then pending events run once. Never fails towards the caller.
    void AddMelding(const Variant& MeldTxt, int Fase = 0, bool Startpunt = false, std::uint32_t Kleur = kBlack);
    // The same line (with MeldTxt2 on a second line), and a message box with
    // MeldTxt2 as its title when MsgBoxMelding is true.
    void AddMsgBoxMelding(const Variant& MeldTxt1, const Variant& MeldTxt2 = Variant(""), int SoortBox = 0,
                          bool Startpunt = false, std::uint32_t Kleur = kBlack, bool MsgBoxMelding = false);
    // The line, then always a yes/no box; 6 (yes) or 7 (no).
    int AddMsgBoxMeldingJN(const Variant& MeldTxt1, const Variant& MeldTxt2 = Variant(""), int SoortBox = 0,
                           bool Startpunt = false, std::uint32_t Kleur = kBlack);

    // Opens the log through FileOpen with the given mode word ("Append" at
    // start-up). An empty LogFileName takes the setting "Main"/"LogFile"
    // (default the application title and ".Log") and is changed in the
    // caller's variable. LogFileNumber is -1 when the user gave up; only a
    // log that opened is stored as the setting.
    void OpenLogFile(std::string& LogFileName, const std::string& FileMode, int FileCommandMode,
                     const std::string& FileDir = "");

    void ClearAlg() { screen_.clear(); }
    // Printing the screen is AfdrukkenMeldingen's job; this one does nothing.
    void PrintAlg() {}
    // Prints the selection, or the whole text when nothing is selected, in
    // the screen's colours on a printer the user chooses.
    void AfdrukkenMeldingen();

    MessageScreen& screen() { return screen_; }
    const MessageScreen& screen() const { return screen_; }
    Platform& platform() { return platform_; }
    FileTable& files() { return files_; }
    DirSearch& dirSearch() { return dir_; }
    AlgLayout& layout() { return layout_; }

    // Every message line as AddMelding receives it, whether or not a log is
    // open: the command-line program echoes these.
    using MessageListener = std::function<void(const std::string& text, int Fase, std::uint32_t Kleur)>;
    void setMessageListener(MessageListener l) { listener_ = std::move(l); }

    // Public values of the window.
    std::int16_t CheckOk = 0;
    std::int16_t NewHeight = 0;
    std::int16_t LogFileCommandMode = 0;  // bit 1: write every line to the log
    std::int16_t LogFileNumber = 0;       // > 0: the log is open

private:
    Platform& platform_;
    MessageScreen screen_;
    FileTable files_;
    DirSearch dir_;
    AlgLayout layout_;
    MessageListener listener_;
};

}  // namespace zelk
