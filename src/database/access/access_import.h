#pragma once
// Reading an Access file (.mdb, .accdb). The Access file is never written: its
// tables, indexes and stored select queries are copied into a new SQLite file,
// which the engine then opens. libmdb was not written for hostile input, so
// the copy must survive any file without taking the program down.

#include <string>
#include <vector>

namespace zelk {

struct AccessImportResult {
    long errorNumber = 0;             // 0, or a Jet error number (3031, 3343, 3024, ...)
    std::string description;          // Dutch description when errorNumber != 0
    std::vector<std::string> notes;   // one message line per stored query that could not be kept
};

// Copies `accessPath` into a new SQLite database at `sqlitePath` (which must
// not exist). `password` is compared with the file's database password.
AccessImportResult importAccessFile(const std::string& accessPath, const std::string& password,
                                    const std::string& sqlitePath);

// True when the file starts like a Jet 3, Jet 4 or ACE database.
bool looksLikeAccessFile(const std::string& path);

}  // namespace zelk
