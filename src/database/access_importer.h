#pragma once
// The seam through which Access files reach the engine: a function that
// copies an Access file into a new SQLite file. The engine reads that copy
// (a temporary file), so the Access file itself is never written.

#include <functional>
#include <string>

#include "database/access/access_import.h"

namespace zelk {

// importAccessFile has this signature.
using AccessImporter = std::function<AccessImportResult(const std::string& accessPath, const std::string& password,
                                                        const std::string& sqlitePath)>;

}  // namespace zelk
