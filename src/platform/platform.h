#pragma once
// Everything the program asks of the desktop goes through this seam: message
// and input boxes, the file dialog, letting pending events run, the clock and
// tick count, the per-user settings, opening a finished workbook and ending the
// program. The GUI, the command-line program and the tests each bring their own.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/reply_timeout.h"
#include "platform/settings_store.h"
#include "runtime/variant.h"

namespace zelk {

// Message-box buttons and answers, with the numbers the callers test for.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxAnswer : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The answer an unattended run gives: the one that changes nothing.
int safeAnswer(int style);
// A message-box answer as its button reads ("OK", "Annuleren", ...).
std::string answerText(int answer);
// Where a desktop without its own answer keeps documents: ~/Documents.
std::filesystem::path homeDocumentsFolder();

struct FileDialogRequest {
    std::string title;
    std::string filter;  // "Description (*.ext)|*.ext|..." pairs
    std::string initDir;
    std::string fileName;
    bool save = false;    // a save dialog: the file need not exist
    bool folder = false;  // choose a folder instead of a file
};

// A piece of text to print, in its colour (red + 256 * green + 65536 *
// blue); "\n" ends a line.
struct PrintPiece {
    std::string text;
    std::uint32_t colour = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual int msgBox(const std::string& prompt, int style, const std::string& title) = 0;
    // nullopt when the user cancels. `masked` hides what is typed (passwords).
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& preset, bool masked = false) = 0;
    // The chosen file, or nullopt when the dialog was cancelled.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;
    // Let pending window messages run once.
    virtual void doEvents() = 0;
    // Block until an event arrives or the time is up (the GUI's message wait).
    virtual void waitForEvents(std::uint32_t milliseconds) = 0;

    virtual Date now() = 0;
    // Milliseconds since some start, wrapping at 2^32 as the system's tick count does.
    virtual std::uint32_t tickCount() = 0;

    virtual SettingsStore& settings() = 0;
    // The user's documents folder (it need not exist yet).
    virtual std::filesystem::path documentsFolder() = 0;

    // Open a finished workbook with the desktop's spreadsheet program.
    virtual void openDocument(const std::string& path) = 0;
    // Progress of long work (rows written of total); shown as a bar or a line.
    // A total of 0 is work whose length is unknown: only the label shows.
    virtual void progress(const std::string& label, long done, long total) = 0;
    // Prints the pieces as one document called `title` on a printer the
    // user chooses; nothing when the choice is cancelled.
    virtual void printText(const std::string& title, const std::vector<PrintPiece>& pieces) = 0;
    // The program ends at once, without clean-up of its own. Never returns.
    [[noreturn]] virtual void endProgram(int exitCode) = 0;

    // With a timeout, every question from now on that gets no reply within
    // its limit takes its safe answer (as safeAnswer; Cancel for input and
    // file dialogs) and is reported; without one, questions wait for the user.
    void setReplyTimeout(std::optional<ReplyTimeout> timeout) { replyTimeout_ = std::move(timeout); }
    const std::optional<ReplyTimeout>& replyTimeout() const { return replyTimeout_; }

    // A request to stop the work that runs (the desktop's Stoppen button),
    // and a time limit for it (the autorun's). Long work asks stopReason()
    // between its steps and ends with that text; clearStop() forgets both.
    void requestStop(std::string reason) { stopRequest_ = std::move(reason); }
    void stopAfter(std::chrono::milliseconds limit, std::string reason);
    void clearStop();
    // Why the work must stop now, when it must; the limit is read on the tick count.
    std::optional<std::string> stopReason();

protected:
    // Implementations call this once the unanswered dialog is gone.
    void reportUnanswered(const UnansweredQuestion& question) const {
        if (replyTimeout_ && replyTimeout_->onUnanswered) replyTimeout_->onUnanswered(question);
    }

private:
    std::optional<ReplyTimeout> replyTimeout_;
    std::optional<std::string> stopRequest_;
    struct TimeLimit {
        std::uint32_t start;  // tickCount() when it was set
        std::uint32_t milliseconds;
        std::string reason;
    };
    std::optional<TimeLimit> timeLimit_;
};

}  // namespace zelk
