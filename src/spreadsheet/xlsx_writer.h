#pragma once
// Writes a workbook of the in-process application to an .xlsx file with
// libxlsxwriter: the sheets in order with their names, every cell as text,
// number, date or Boolean (text is never a formula), bold cells, number
// formats and column widths.
//
// The file is written under a temporary name in the target folder, checked
// to be a complete package, flushed to disk and only then moved to its name.
// A failure (folder missing, disk full, no permission) leaves no half file
// and does not touch a file that was there.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelk {

class Workbook;

struct SaveResult {
    std::string error;           // empty when the workbook was written
    bool alreadyExists = false;  // saveAsNew found the name taken
    bool ok() const { return error.empty(); }
    explicit operator bool() const { return ok(); }
};

// Saves `book` as `path`, replacing an existing file in one step. On success
// the workbook takes the file's name (Workbook.Name, FullName).
SaveResult saveAs(Workbook& book, const std::filesystem::path& path);

// A save that cannot go on.
struct WriteFailure : std::runtime_error {
    explicit WriteFailure(const std::string& message, bool exists = false);
    bool alreadyExists = false;
};

// Checks a written package: the zip directory, every member's CRC, the
// small XML parts parse, and sheet i+1 is complete, holds cellCounts[i]
// cells and only characters XML allows. WriteFailure when not.
void verifyPackage(const std::string& file, const std::vector<std::uint64_t>& cellCounts);

// Saves `book` as `path` only when no file of that name exists (then the
// error says so). For names chosen not to overwrite anything.
SaveResult saveAsNew(Workbook& book, const std::filesystem::path& path);

}  // namespace zelk
