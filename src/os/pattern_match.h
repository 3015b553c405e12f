#pragma once
// Shell-style patterns ("*", "?", "[...]", backslash escapes) as the
// system's own matcher reads them.

#include <string>

namespace zelk::os {

// "?" is one UTF-8 character; a name that is no valid UTF-8 is matched
// byte by byte.
bool patternMatches(const std::string& pattern, const std::string& name, bool ignoreCase);

}  // namespace zelk::os
