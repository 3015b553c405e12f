#pragma once
// The text that followed the program's name on the command line, as the
// greeting echoes it: the arguments joined by blanks, those with blanks in
// double quotes.

#include <string>

namespace zelk {

std::string commandLineText(int argc, const char* const* argv);

}  // namespace zelk
