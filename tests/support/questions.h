#pragma once
// A message box the scripted platform was asked, as one text to compare:
// title, prompt and style together.

#include <string>

#include "platform/scripted_platform.h"

namespace zelk::testing {

inline std::string box(const std::string& title, const std::string& prompt, int style) {
    return title + " | " + prompt + " | " + std::to_string(style);
}
inline std::string box(const ScriptedPlatform::Question& q) { return box(q.title, q.prompt, q.style); }

}  // namespace zelk::testing
