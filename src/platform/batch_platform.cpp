#include "platform/batch_platform.h"

#include <cstdlib>
#include <ctime>
#include <thread>

#include "os/local_time.h"
#include "runtime/dates.h"
#include "runtime/product.h"
#include "runtime/text.h"

namespace zelk {

BatchPlatform::BatchPlatform(SettingsStore& settings, std::optional<Date> fixedNow, std::FILE* err)
    : settings_(settings), fixedNow_(fixedNow), err_(err) {}

int BatchPlatform::msgBox(const std::string& prompt, int style, const std::string& title) {
    if (progressShown_) {
        std::fputs("\n", err_);
        progressShown_ = false;
    }
    std::fprintf(err_, "%s: %s\n", title.empty() ? kAppTitle : title.c_str(), plainLines(prompt).c_str());
    std::fflush(err_);
    return safeAnswer(style);
}

std::optional<std::string> BatchPlatform::inputBox(const std::string&, const std::string&, const std::string&, bool) {
    return std::nullopt;
}

std::optional<std::string> BatchPlatform::fileDialog(const FileDialogRequest&) { return std::nullopt; }

void BatchPlatform::waitForEvents(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

Date BatchPlatform::now() {
    if (fixedNow_) return *fixedNow_;
    const std::tm local = os::localTime(std::time(nullptr));
    return makeDateTime(
        {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

std::uint32_t BatchPlatform::tickCount() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    return static_cast<std::uint32_t>(ms);
}

void BatchPlatform::progress(const std::string& label, long done, long total) {
    if (!showProgress_) return;
    if (total <= 0) {
        std::fprintf(err_, "%s%s\n", progressShown_ ? "\n" : "", label.c_str());
        progressShown_ = false;
    } else {
        std::fprintf(err_, "\r%s: %ld van %ld", label.c_str(), done, total);
        progressShown_ = done < total;
        if (!progressShown_) std::fputs("\n", err_);
    }
    std::fflush(err_);
}

// Nobody can choose a printer here, and the command line never offers printing.
void BatchPlatform::printText(const std::string&, const std::vector<PrintPiece>&) {}

void BatchPlatform::endProgram(int exitCode) {
    std::fflush(stdout);
    std::fflush(err_);
    std::_Exit(exitCode);
}

}  // namespace zelk
