#include "os/terminal.h"

#include <unistd.h>

namespace zelk::os {

bool isTerminal(std::FILE* stream) { return stream && ::isatty(::fileno(stream)) == 1; }

}  // namespace zelk::os
