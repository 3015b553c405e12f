#pragma once
// Reading an Access file (.mdb, .accdb). The Access file is never written: its
// tables, indexes and stored select queries are copied into a new SQLite file,
// which the engine then opens. libmdb was not written for hostile input, so
// the copy runs in a child process and must survive any file without taking
// the program down.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "os/child_process.h"

namespace zelk {

struct AccessImportResult {
    long errorNumber = 0;            // 0, or a Jet error number (3031, 3343, 3024, ...)
    std::string description;         // Dutch description when errorNumber != 0
    std::vector<std::string> notes;  // one message line per object (query, linked table, index) not kept as is
};

struct AccessImportOptions {
    // The copy is stopped (error 3343) when it shows no progress for this long.
    std::chrono::milliseconds timeout{10000};
};

// What the reader child of an Access file of `fileBytes` bytes may use:
// memory and output in proportion to the file.
os::ChildLimits readerLimits(std::uint64_t fileBytes);

// Copies `accessPath` into a new SQLite database at `sqlitePath` (which must
// not exist). `password` is compared with the file's database password.
// On failure no file is left at `sqlitePath`.
//
// Column types in the copy (the engine maps declared types to variants):
//   Text, Memo, Replication ID  TEXT COLLATE NOCASE  (a GUID as "{8-4-4-4-12}")
//   Byte BYTE, Integer SMALLINT, Long Integer INTEGER, Single SINGLE, Double DOUBLE
//   Decimal (Numeric)           DOUBLE   (nearest double)
//   Currency                    CURRENCY (a REAL; exact to the 1/10000 below 2^38)
//   Date/Time                   DATETIME ("YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "HH:MM:SS")
//   Yes/No                      BOOLEAN  (1 / 0, as SQLite's TRUE / FALSE)
//   Binary, OLE Object          BLOB
// Index names are kept unless the name is used by more than one table (as
// "PrimaryKey" is) or by a table: then the index is named "<table>_<name>".
AccessImportResult importAccessFile(const std::string& accessPath, const std::string& password,
                                    const std::string& sqlitePath);
AccessImportResult importAccessFile(const std::string& accessPath, const std::string& password,
                                    const std::string& sqlitePath, const AccessImportOptions& options);

// True when the file starts like a Jet 3, Jet 4 or ACE database.
bool looksLikeAccessFile(const std::string& path);

}  // namespace zelk
