#pragma once
// The file a workbook is written to before it takes its name (see
// os/temp_file.h), and the removal of those a killed run left behind.

#include <filesystem>

#include "os/temp_file.h"

namespace zelk {

using TempWorkbookFile = os::TempFile;

// Whether unnamed files are tried at all (default true); tests switch it off
// to run the path of file systems without them.
inline void useUnnamedTempWorkbooks(bool use) { os::useUnnamedTempFiles(use); }

// Removes the hidden temporary workbooks in `dir` that a run of this program
// left behind when it was killed. Best effort.
void removeStaleTempWorkbooks(const std::filesystem::path& dir);

}  // namespace zelk
