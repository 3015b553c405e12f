#pragma once
// Small comparisons shared by the tests: the runtime error a call throws, and
// a message box the scripted platform was asked as one text (title, prompt
// and style together).

#include <string>

#include "platform/scripted_platform.h"
#include "runtime/runtime_error.h"

namespace zelk::testing {

// The runtime error number a call throws, 0 when it throws none.
template <typename F>
long errorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// The number and description of the runtime error a call throws, "" when none.
template <typename F>
std::string errorText(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
    return "";
}

inline std::string box(const std::string& title, const std::string& prompt, int style) {
    return title + " | " + prompt + " | " + std::to_string(style);
}
inline std::string box(const ScriptedPlatform::Question& q) { return box(q.title, q.prompt, q.style); }

}  // namespace zelk::testing
