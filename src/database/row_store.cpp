#include "database/row_store.h"

#include <limits>

#include "database/sqlite_handle.h"

namespace zelk {
namespace {

std::string nullable(const char* s) { return s ? s : ""; }

}  // namespace

std::vector<ResultColumn> resultColumns(sqlite3_stmt* stmt) {
    std::vector<ResultColumn> out;
    const int n = sqlite3_column_count(stmt);
    out.reserve(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        ResultColumn col;
        col.name = nullable(sqlite3_column_name(stmt, c));
        col.table = nullable(sqlite3_column_table_name(stmt, c));
        col.originName = nullable(sqlite3_column_origin_name(stmt, c));
        col.kind = fieldKindOf(nullable(sqlite3_column_decltype(stmt, c)));
        out.push_back(std::move(col));
    }
    return out;
}

StoredValue storedAt(sqlite3_stmt* stmt, int col) {
    StoredValue v;
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
        v.cls = StoredValue::Integer;
        v.i = sqlite3_column_int64(stmt, col);
        break;
    case SQLITE_FLOAT:
        v.cls = StoredValue::Real;
        v.r = sqlite3_column_double(stmt, col);
        break;
    case SQLITE_TEXT: {
        v.cls = StoredValue::Text;
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        v.text = std::string_view(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col)));
        break;
    }
    case SQLITE_BLOB: {
        v.cls = StoredValue::Blob;
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, col));
        v.text = std::string_view(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col)));
        break;
    }
    default: break;
    }
    return v;
}

RowStore RowStore::read(sqlite3* db, sqlite3_stmt* stmt) {
    RowStore store;
    store.columns_ = resultColumns(stmt);
    const int n = static_cast<int>(store.columns_.size());
    while (sqlite::step(db, stmt)) {
        for (int c = 0; c < n; ++c) {
            const StoredValue v = storedAt(stmt, c);
            Cell cell;
            cell.cls = v.cls;
            if (v.cls == StoredValue::Integer) cell.i = v.i;
            else if (v.cls == StoredValue::Real) cell.r = v.r;
            else if (v.cls == StoredValue::Text || v.cls == StoredValue::Blob) {
                cell.offset = store.arena_.size();
                cell.length = static_cast<std::uint32_t>(v.text.size());
                store.arena_.append(v.text);
            }
            store.cells_.push_back(cell);
        }
    }
    return store;
}

StoredValue RowStore::stored(std::size_t row, std::size_t col) const {
    const Cell& c = cells_[row * columns_.size() + col];
    StoredValue v;
    v.cls = c.cls;
    switch (c.cls) {
    case StoredValue::Integer: v.i = c.i; break;
    case StoredValue::Real: v.r = c.r; break;
    case StoredValue::Text:
    case StoredValue::Blob: v.text = std::string_view(arena_).substr(c.offset, c.length); break;
    default: break;
    }
    return v;
}

}  // namespace zelk
