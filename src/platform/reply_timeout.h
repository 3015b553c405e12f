#pragma once
// Under Autorun nobody need be at the screen: a question that gets no reply in
// time takes its safe answer, so an unattended run always ends.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace zelk {

inline constexpr std::chrono::milliseconds kUnattendedReplyTimeout{60000};

// A question the platform answered itself because no reply came.
struct UnansweredQuestion {
    std::string title;   // the dialog's title
    std::string prompt;  // empty for a file dialog
    std::string answer;  // the safe answer given, as its button reads
};

struct ReplyTimeout {
    std::chrono::milliseconds limit{kUnattendedReplyTimeout};
    std::function<void(const UnansweredQuestion&)> onUnanswered;
};

}  // namespace zelk
