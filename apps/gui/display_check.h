#pragma once
// Started without a display (over SSH, from a service), Qt ends the program
// with an English message and an abort that looks like a crash. The clerk
// reads instead, in Dutch, that the program needs one and that the
// command-line program does not; the exit status is 1.

#include <optional>
#include <string>

namespace zelk {

// The Dutch explanation for a display that is missing (`display` empty) or
// cannot be reached.
std::string noDisplayText(const std::string& display);

// The explanation when the environment offers no display to the platform
// Qt would pick; nothing when it does, or names a platform that needs none
// (QT_QPA_PLATFORM=offscreen).
std::optional<std::string> missingDisplay();

// Until the returned guard is gone, a fatal Qt message (the display that
// does not answer) ends the program with noDisplayText and exit status 1.
class DisplayFailureGuard {
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};

}  // namespace zelk
