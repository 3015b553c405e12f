#pragma once
// The rows of a select, kept in an unlinked scratch file as they are stepped
// through, so that a dynaset that had to run on to its end for a count can
// serve its records from there instead of running the select again. Memory
// holds one row and a file offset per block of rows, whatever the result's
// size.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/field_value.h"
#include "runtime/spool_file.h"

namespace zelk {

class ResultSpool {
public:
    // Error 1004 when no scratch file can be made.
    explicit ResultSpool(std::size_t columns);

    // Keeps the row `stmt` stands on. Error 1004 when the disk takes nothing.
    void append(sqlite3_stmt* stmt);
    // Writes out what is still buffered. Error 1004 on a failed write.
    void finish();
    long size() const { return rows_; }

    // The values of row `p` (from 0); texts last until the next call.
    // Error 1004 when the file cannot be read.
    const std::vector<StoredValue>& row(long p);

private:
    void load();

    std::size_t columns_;
    SpoolFile file_;
    long rows_ = 0;
    std::vector<std::uint64_t> marks_;  // the offset of every kRowsPerMark-th row
    std::optional<SpoolFile::Reader> reader_;
    long next_ = 0;     // the row reader_ stands before
    long loaded_ = -1;  // the row in values_
    std::vector<StoredValue> values_;
    std::string texts_;                          // the row's texts, one after the other
    std::vector<std::size_t> starts_, lengths_;  // of each column's text in texts_
};

}  // namespace zelk
