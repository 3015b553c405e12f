#pragma once
// The platform of unattended runs: no one to ask, so every question gets the
// answer that changes nothing (No, Cancel). Message boxes go to stderr as
// "TITLE: TEXT".

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace zelk {

class BatchPlatform : public Platform {
public:
    // `settings` must outlive the platform; `fixedNow` stops the clock.
    BatchPlatform(SettingsStore& settings, std::optional<Date> fixedNow, std::FILE* err = stderr);

    // Show a progress line on stderr (only sensible on a terminal).
    void setShowProgress(bool show) { showProgress_ = show; }

    int msgBox(const std::string& prompt, int style, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title, const std::string& preset,
                                        bool masked) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    void doEvents() override {}
    void waitForEvents(std::uint32_t milliseconds) override;
    Date now() override;
    std::uint32_t tickCount() override;
    SettingsStore& settings() override { return settings_; }
    std::filesystem::path documentsFolder() override { return homeDocumentsFolder(); }
    void openDocument(const std::string&) override {}
    void progress(const std::string& label, long done, long total) override;
    void printText(const std::string& title, const std::vector<PrintPiece>& pieces) override;
    [[noreturn]] void endProgram(int exitCode) override;

private:
    SettingsStore& settings_;
    std::optional<Date> fixedNow_;
    std::FILE* err_;
    bool showProgress_ = false;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace zelk
