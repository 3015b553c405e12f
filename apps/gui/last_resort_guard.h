#pragma once
// The desktop's last line of defence: an error that escapes a command, a timer
// tick or the close request is shown in Dutch and the program goes on, since
// Qt's event loop cannot carry an exception and ending would lose the session.

#include <exception>
#include <functional>
#include <string>

namespace zelk {

class Platform;

// The Dutch text for an error that escaped a command.
std::string escapedErrorText(std::exception_ptr error);

// Runs `command`; whatever it throws ends up in a message box.
void runGuarded(Platform& platform, const std::function<void()>& command);

// How a window runs the library's code behind its events; empty: unguarded.
using Guard = std::function<void(const std::function<void()>&)>;
inline void runWith(const Guard& guard, const std::function<void()>& work) {
    if (guard) guard(work);
    else work();
}

}  // namespace zelk
