#pragma once

#include <cstdio>

namespace zelk::os {

// Whether someone watches `stream` on a terminal (not a file or a pipe).
bool isTerminal(std::FILE* stream);

}  // namespace zelk::os
