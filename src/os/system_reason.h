#pragma once
// The operating system's reasons for a failure, in the program's language:
// its own texts are English and would end up in Dutch messages.

#include <string>
#include <system_error>

namespace zelk::os {

// Why a call failed, e.g. "de schijf is vol". A code without a Dutch text of
// its own is named by number, with the system's text beside it.
std::string reasonText(const std::error_code& code);

// The failure as a Dutch text: the context it was thrown with, then its
// reason; for a file system error also the file it concerned.
std::string describe(const std::system_error& error);

}  // namespace zelk::os
