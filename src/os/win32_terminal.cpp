#include <io.h>

#include "os/terminal.h"

namespace zelk::os {

bool isTerminal(std::FILE* stream) { return stream && _isatty(_fileno(stream)) != 0; }

}  // namespace zelk::os
