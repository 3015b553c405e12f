#include "platform/scripted_platform.h"

namespace zelk {

bool ScriptedPlatform::noReply(const std::string& title, const std::string& prompt, const std::string& answer) {
    if (!userAway) return false;
    if (!replyTimeout()) throw WaitedForever{prompt.empty() ? title : prompt};
    ticks += static_cast<std::uint32_t>(replyTimeout()->limit.count());
    reportUnanswered({title, prompt, answer});
    return true;
}

int ScriptedPlatform::msgBox(const std::string& prompt, int style, const std::string& title) {
    asked.push_back({Question::MsgBox, prompt, title, style, "", ""});
    if (noReply(title, prompt, answerText(safeAnswer(style)))) return safeAnswer(style);
    if (msgBoxAnswers.empty()) return safeAnswer(style);
    const int a = msgBoxAnswers.front();
    msgBoxAnswers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPlatform::inputBox(const std::string& prompt, const std::string& title,
                                                      const std::string& preset, bool masked) {
    asked.push_back({Question::Input, prompt, title, masked ? 1 : 0, preset, ""});
    if (noReply(title, prompt, answerText(vbCancel))) return std::nullopt;
    if (inputAnswers.empty()) return std::nullopt;
    auto a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPlatform::fileDialog(const FileDialogRequest& request) {
    asked.push_back(
        {Question::File, request.title, request.filter, request.save ? 1 : 0, request.fileName, request.initDir});
    if (noReply(request.title, "", answerText(vbCancel))) return std::nullopt;
    if (fileAnswers.empty()) return std::nullopt;
    auto a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

void ScriptedPlatform::doEvents() {
    ++doEventsCalls;
    if (onDoEvents) onDoEvents();
}

void ScriptedPlatform::waitForEvents(std::uint32_t milliseconds) {
    ticks += milliseconds;  // wraps at 2^32 like the real tick count
    doEvents();
}

std::vector<std::string> ScriptedPlatform::msgBoxPrompts() const {
    std::vector<std::string> out;
    for (const auto& q : asked)
        if (q.kind == Question::MsgBox) out.push_back(q.prompt);
    return out;
}

}  // namespace zelk
