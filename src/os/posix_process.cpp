#include "os/process.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace zelk::os {

long processId() { return static_cast<long>(::getpid()); }

bool processGone(long pid) {
    const auto id = static_cast<pid_t>(pid);
    if (pid <= 0 || static_cast<long>(id) != pid) return false;
    return ::kill(id, 0) != 0 && errno == ESRCH;
}

}  // namespace zelk::os
