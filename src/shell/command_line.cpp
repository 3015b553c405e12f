#include "shell/command_line.h"

namespace zelk {

std::string commandLineText(int argc, const char* const* argv) {
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (!out.empty()) out += ' ';
        if (a.empty() || a.find_first_of(" \t") != std::string::npos) out += '"' + a + '"';
        else out += a;
    }
    return out;
}

}  // namespace zelk
