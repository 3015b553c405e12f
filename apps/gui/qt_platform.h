#pragma once
// The platform of the desktop program: Qt's dialogs, event loop, clock and
// settings.

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>

#include "platform/platform.h"
#include "qt_settings_store.h"

namespace zelk {

class QtPlatform : public Platform {
public:
    explicit QtPlatform(std::string applicationTitle);

    int msgBox(const std::string& prompt, int style, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title, const std::string& preset,
                                        bool masked) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    void doEvents() override;
    void waitForEvents(std::uint32_t milliseconds) override;
    Date now() override;
    std::uint32_t tickCount() override;
    SettingsStore& settings() override { return settings_; }
    std::filesystem::path documentsFolder() override;
    void openDocument(const std::string& path) override;
    void progress(const std::string& label, long done, long total) override;
    void printText(const std::string& title, const std::vector<PrintPiece>& pieces) override;
    [[noreturn]] void endProgram(int exitCode) override;

    // The window the dialogs belong to.
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void setProgressSink(std::function<void(const std::string&, long, long)> sink) { progressSink_ = std::move(sink); }
    // Runs right before the program ends (writes out what is still buffered).
    void setBeforeEnd(std::function<void()> hook) { beforeEnd_ = std::move(hook); }

private:
    QString titleOr(const std::string& title) const;

    std::string appTitle_;
    QtSettingsStore settings_;
    QPointer<QWidget> parent_;
    std::function<void(const std::string&, long, long)> progressSink_;
    std::function<void()> beforeEnd_;
};

// The Qt answer of a message box mapped to the numbers the callers test.
int vbAnswerFor(int standardButton);

}  // namespace zelk
