#pragma once
// The rows of a large sheet, kept in an unlinked temporary file instead of
// memory: each row once, in the order written, texts inline. The file is
// gone when the spool is, also after a crash.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/spool_file.h"
#include "spreadsheet/cell_store.h"

namespace zelk {

// A row's cells with the texts their string cells refer to.
struct SpooledRow {
    long row = 0;
    std::vector<Cell> cells;  // column 1 onwards
    StringPool strings;       // string cells' ids point here
};

class RowSpool {
public:
    // Error 1004 when no temporary file can be made.
    RowSpool();
    RowSpool(const RowSpool&) = delete;
    RowSpool& operator=(const RowSpool&) = delete;

    // `texts[i]` is the text of cells[i] when that is a string cell. A
    // failed write refuses the row (error 1004) and keeps the earlier ones.
    void append(long row, const std::vector<Cell>& cells, const std::vector<std::string>& texts);
    std::size_t size() const { return rows_; }
    bool empty() const { return rows_ == 0; }
    long lastRow() const { return lastRow_; }

    // Every row in order; `index` counts from 0. Rows not yet on disk are
    // written first; a failed write or read is an error, and the rows stay
    // for another try.
    void forEach(const std::function<void(std::size_t index, const SpooledRow&)>& visit);

private:
    SpoolFile file_;
    std::size_t rows_ = 0;
    long lastRow_ = 0;
};

}  // namespace zelk
