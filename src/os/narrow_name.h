#pragma once
// Names for the libraries that open files by narrow names (libxlsxwriter,
// libmdb, minizip, the C runtime's fopen).

#include <string>

namespace zelk::os {

// A name under which such a library can open the existing file `utf8Path`:
// the name itself where narrow names are UTF-8 (POSIX, and Windows with the
// program's manifest from Windows 10 1903 on); on an older Windows, for a
// name outside ASCII, the file's ASCII short name. Unchanged when there is
// none: the library then fails to open it, and that failure is reported.
std::string narrowName(const std::string& utf8Path);

}  // namespace zelk::os
