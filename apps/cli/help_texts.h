#pragma once
// What --help and --version print, and the short usage shown after a usage
// error.

#include <string>

namespace zelk::cli {

std::string programHelp();
std::string exportHelp();
std::string demoDatabaseHelp();
std::string versionText();

}  // namespace zelk::cli
