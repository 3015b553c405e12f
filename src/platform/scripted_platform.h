#pragma once
// The platform of the tests: answers come from queues the test fills, every
// question is recorded, the clock stands still unless the test moves it, and
// waiting advances the tick count instead of sleeping.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "os/folders.h"
#include "platform/platform.h"

namespace zelk {

// Thrown by ScriptedPlatform::endProgram so a test can see the program end.
// Deliberately no std::exception: the real end never returns, so no handler
// of the program may take this for an error of its own.
struct ProgramEnded {
    int exitCode;
};

// Thrown when a question finds nobody at the screen and no reply timeout is
// set: the real program would wait there for ever. No std::exception, as
// ProgramEnded.
struct WaitedForever {
    std::string question;
};

class ScriptedPlatform : public Platform {
public:
    struct Question {
        enum Kind { MsgBox, Input, File } kind;
        std::string prompt;   // for File: the dialog title
        std::string title;    // for File: the filter
        int style = 0;        // message-box style; for Input 1 when masked
        std::string preset;   // input preset or the dialog's file name
        std::string initDir;  // File only
    };

    // Queued answers; an empty queue gives the safe answer (No, Cancel).
    std::deque<int> msgBoxAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<Question> asked;
    // Nobody at the screen: queued answers are not used, every question waits
    // for its reply timeout (the ticks move on by it) or for ever.
    bool userAway = false;

    std::vector<std::string> openedDocuments;
    std::vector<std::tuple<std::string, long, long>> progressCalls;
    std::vector<std::pair<std::string, std::vector<PrintPiece>>> printed;
    int doEventsCalls = 0;
    // Run on each doEvents, so a test can act "while" long work runs.
    std::function<void()> onDoEvents;

    Date clock{46362.0};  // 6 December 2026
    std::uint32_t ticks = 1000;
    MemorySettings store;
    // Never the real user's folder: a test that saves there must say where.
    std::filesystem::path documents = os::temporaryFolder() / "zelk-documenten";

    int msgBox(const std::string& prompt, int style, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title, const std::string& preset,
                                        bool masked) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    void doEvents() override;
    void waitForEvents(std::uint32_t milliseconds) override;
    Date now() override { return clock; }
    std::uint32_t tickCount() override { return ticks; }
    SettingsStore& settings() override { return store; }
    std::filesystem::path documentsFolder() override { return documents; }
    void openDocument(const std::string& path) override { openedDocuments.push_back(path); }
    void progress(const std::string& label, long done, long total) override {
        progressCalls.emplace_back(label, done, total);
    }
    void printText(const std::string& title, const std::vector<PrintPiece>& pieces) override {
        printed.emplace_back(title, pieces);
    }
    [[noreturn]] void endProgram(int exitCode) override { throw ProgramEnded{exitCode}; }

    // The prompts of all message boxes asked so far, in order.
    std::vector<std::string> msgBoxPrompts() const;

private:
    // True when the question timed out (and was reported) for an absent user.
    bool noReply(const std::string& title, const std::string& prompt, const std::string& answer);
};

}  // namespace zelk
