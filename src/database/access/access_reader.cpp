#include "database/access/access_reader.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstring>

#include "database/access/access_text.h"
#include "database/access/access_values.h"

namespace zelk::access {

namespace {

struct HandleCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};

constexpr int kDeletedRow = 0x8000;  // also set on the moved-to copy of a row
constexpr int kMovedRow = 0x4000;    // the row holds a pointer to where it moved
constexpr int kOffsetMask = 0x1FFF;
constexpr int kMaxRowHops = 8;
constexpr std::uint32_t kLongValueInline = 0x80000000u;
constexpr std::uint32_t kLongValueOnePage = 0x40000000u;
constexpr std::size_t kLongValueHeader = 12;

std::uint32_t le16(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t le32(const unsigned char* p) { return le16(p) | le16(p + 2) << 16; }

ColumnType kindOf(int mdbType) {
    switch (mdbType) {
    case MDB_TEXT: return ColumnType::Text;
    case MDB_MEMO: return ColumnType::Memo;
    case MDB_BYTE: return ColumnType::Byte;
    case MDB_INT: return ColumnType::Integer;
    case MDB_LONGINT: return ColumnType::Long;
    case MDB_FLOAT: return ColumnType::Single;
    case MDB_DOUBLE: return ColumnType::Double;
    case MDB_MONEY: return ColumnType::Currency;
    case MDB_DATETIME: return ColumnType::DateTime;
    case MDB_BOOL: return ColumnType::Boolean;
    case MDB_NUMERIC: return ColumnType::Numeric;
    case MDB_REPID: return ColumnType::Guid;
    case MDB_BINARY: return ColumnType::Binary;
    case MDB_OLE: return ColumnType::OleObject;
    case MDB_COMPLEX: return ColumnType::Complex;
    default: return ColumnType::Unknown;
    }
}

template <typename T>
T* ptrAt(GPtrArray* array, unsigned i) {
    return (array && i < array->len) ? static_cast<T*>(g_ptr_array_index(array, i)) : nullptr;
}

}  // namespace

struct AccessFile::Impl {
    std::unique_ptr<MdbHandle, HandleCloser> mdb;
};

struct AccessTable::Impl {
    MdbHandle* mdb = nullptr;
    std::unique_ptr<MdbTableDef, TableFreer> table;
    std::vector<ColumnType> kinds;
    std::vector<int> scales;

    bool jet3() const { return mdb->f->jet_version == MDB_VER_JET3; }
    int pageSize() const { return static_cast<int>(mdb->fmt->pg_size); }

    std::string text(const unsigned char* p, std::size_t n) const {
        return jet3() ? decodeJet3Text(p, n) : decodeJet4Text(p, n);
    }
    bool readLongValue(int start, int size, Blob& out);
    FieldValue decode(std::size_t column, const MdbField& f);
    void readRowAt(int row, int hops, const std::function<void(const std::vector<FieldValue>&)>& onRow,
                   std::vector<MdbField>& fields, std::vector<FieldValue>& values);
};

AccessFile::AccessFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
AccessFile::~AccessFile() = default;

std::unique_ptr<AccessFile> AccessFile::open(const std::string& path) {
    MdbHandle* handle = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!handle) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->mdb.reset(handle);
    if (!mdb_read_catalog(handle, MDB_ANY) || !handle->catalog) return nullptr;

    std::unique_ptr<AccessFile> file(new AccessFile(std::move(impl)));
    for (unsigned i = 0; i < handle->catalog->len; ++i) {
        auto* entry = ptrAt<MdbCatalogEntry>(handle->catalog, i);
        if (!entry) continue;
        CatalogObject object;
        object.name.assign(entry->object_name, strnlen(entry->object_name, sizeof entry->object_name));
        object.id = static_cast<std::uint32_t>(entry->table_pg) & 0xFFFFFFu;
        switch (entry->object_type) {
        case MDB_TABLE: object.kind = mdb_is_user_table(entry) ? ObjectKind::Table : ObjectKind::SystemTable; break;
        case MDB_LINKED_TABLE: object.kind = ObjectKind::LinkedTable; break;
        case MDB_QUERY: object.kind = ObjectKind::Query; break;
        default: object.kind = ObjectKind::Other; break;
        }
        file->objects_.push_back(std::move(object));
    }
    return file;
}

std::unique_ptr<AccessTable> AccessFile::openTable(const std::string& name) {
    MdbHandle* mdb = impl_->mdb.get();
    MdbCatalogEntry* entry = nullptr;
    for (unsigned i = 0; i < mdb->catalog->len && !entry; ++i) {
        auto* e = ptrAt<MdbCatalogEntry>(mdb->catalog, i);
        if (e && e->object_type == MDB_TABLE && name == e->object_name) entry = e;
    }
    if (!entry) return nullptr;
    MdbTableDef* def = mdb_read_table(entry);
    if (!def) return nullptr;
    auto impl = std::make_unique<AccessTable::Impl>();
    impl->mdb = mdb;
    impl->table.reset(def);
    if (!mdb_read_columns(def) || !def->columns) return nullptr;
    mdb_read_indices(def);

    std::unique_ptr<AccessTable> table(new AccessTable(std::move(impl)));
    AccessTable::Impl& t = *table->impl_;
    for (unsigned i = 0; i < def->num_cols; ++i) {
        auto* col = ptrAt<MdbColumn>(def->columns, i);
        if (!col) return nullptr;
        ColumnInfo info;
        info.name.assign(col->name, strnlen(col->name, sizeof col->name));
        info.kind = kindOf(col->col_type);
        info.number = col->col_num;
        table->columns_.push_back(info);
        t.kinds.push_back(info.kind);
        // libmdb's names are the other way round: col_prec holds the scale.
        t.scales.push_back(col->col_prec);
    }
    for (unsigned i = 0; i < def->num_idxs; ++i) {
        auto* idx = ptrAt<MdbIndex>(def->indices, i);
        if (!idx || idx->index_type == 2) continue;  // the other side of a relationship
        IndexInfo info;
        info.name.assign(idx->name, strnlen(idx->name, sizeof idx->name));
        info.primaryKey = idx->index_type == 1;
        info.unique = info.primaryKey || (idx->flags & MDB_IDX_UNIQUE);
        bool complete = idx->num_keys > 0 && idx->num_keys <= MDB_MAX_IDX_COLS;
        for (unsigned k = 0; complete && k < idx->num_keys; ++k) {
            const int number = idx->key_col_num[k] - 1;
            const ColumnInfo* found = nullptr;
            for (const ColumnInfo& c : table->columns_)
                if (c.number == number) found = &c;
            if (!found && number >= 0 && number < static_cast<int>(table->columns_.size()))
                found = &table->columns_[static_cast<std::size_t>(number)];
            if (!found) complete = false;
            else info.keys.emplace_back(found->name, idx->key_col_order[k] == MDB_DESC);
        }
        if (complete) table->indexes_.push_back(std::move(info));
    }
    return table;
}

AccessTable::AccessTable(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
AccessTable::~AccessTable() = default;

bool AccessTable::Impl::readLongValue(int start, int size, Blob& out) {
    if (size < static_cast<int>(kLongValueHeader)) return false;
    const unsigned char* header = mdb->pg_buf + start;
    const std::uint32_t word = le32(header);
    const std::uint32_t length = word & 0x3FFFFFFFu;
    if (word & kLongValueInline) {
        const auto available = static_cast<std::size_t>(size) - kLongValueHeader;
        out.assign(header + kLongValueHeader, header + kLongValueHeader + std::min<std::size_t>(available, length));
        return true;
    }
    auto pgRow = static_cast<int>(le32(header + 4));
    if (word & kLongValueOnePage) {
        void* buf = nullptr;
        int offset = 0;
        std::size_t len = 0;
        if (mdb_find_pg_row(mdb, pgRow, &buf, &offset, &len) != 0) return false;
        if (offset < 0 || static_cast<std::size_t>(offset) + len > static_cast<std::size_t>(pageSize())) return false;
        const auto* p = static_cast<const unsigned char*>(buf) + offset;
        out.assign(p, p + std::min<std::size_t>(len, length));
        return true;
    }
    if (word & 0xFF000000u) return false;
    // A chain of rows on long-value pages, each starting with the next link.
    out.clear();
    for (int hop = 0; pgRow != 0 && out.size() < length; ++hop) {
        void* buf = nullptr;
        int offset = 0;
        std::size_t len = 0;
        if (hop > (1 << 20) || mdb_find_pg_row(mdb, pgRow, &buf, &offset, &len) != 0) return false;
        if (len <= 4 || offset < 0 || static_cast<std::size_t>(offset) + len > static_cast<std::size_t>(pageSize()))
            return false;
        const auto* p = static_cast<const unsigned char*>(buf) + offset;
        const std::size_t take = std::min<std::size_t>(len - 4, length - out.size());
        out.insert(out.end(), p + 4, p + 4 + take);
        pgRow = static_cast<int>(le32(p));
    }
    return true;
}

FieldValue AccessTable::Impl::decode(std::size_t column, const MdbField& f) {
    const ColumnType kind = kinds[column];
    // A Yes/No field has no bytes: its null-mask bit is its value.
    if (kind == ColumnType::Boolean) return std::int64_t{f.is_null ? 0 : 1};
    if (f.is_null) return {};
    if (f.start < 0 || f.siz < 0 || f.start + f.siz > pageSize()) return {};
    const unsigned char* p = mdb->pg_buf + f.start;
    const auto n = static_cast<std::size_t>(f.siz);
    auto needs = [&](std::size_t bytes) { return n >= bytes; };
    switch (kind) {
    case ColumnType::Text: return text(p, n);
    case ColumnType::Memo: {
        Blob bytes;
        if (!readLongValue(f.start, f.siz, bytes)) return std::string();
        return text(bytes.data(), bytes.size());
    }
    case ColumnType::OleObject: {
        Blob bytes;
        if (!readLongValue(f.start, f.siz, bytes)) return {};
        return bytes;
    }
    case ColumnType::Byte:
        if (!needs(1)) return {};
        return std::int64_t{p[0]};
    case ColumnType::Integer:
        if (!needs(2)) return {};
        return std::int64_t{static_cast<std::int16_t>(le16(p))};
    case ColumnType::Long:
    case ColumnType::Complex:
        if (!needs(4)) return {};
        return std::int64_t{static_cast<std::int32_t>(le32(p))};
    case ColumnType::Single: {
        if (!needs(4)) return {};
        float v = 0;
        std::memcpy(&v, p, sizeof v);
        return static_cast<double>(v);
    }
    case ColumnType::Double: {
        if (!needs(8)) return {};
        double v = 0;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case ColumnType::Currency: {
        if (!needs(8)) return {};
        std::int64_t v = 0;
        std::memcpy(&v, p, sizeof v);
        return currencyToReal(v);
    }
    case ColumnType::DateTime: {
        if (!needs(8)) return {};
        double v = 0;
        std::memcpy(&v, p, sizeof v);
        if (auto t = jetDateText(v)) return *t;
        return {};
    }
    case ColumnType::Numeric:
        if (!needs(17)) return {};
        return jetNumericToReal(p, scales[column]);
    case ColumnType::Guid:
        if (!needs(16)) return {};
        return jetGuidText(p);
    case ColumnType::Boolean: break;
    case ColumnType::Binary:
    case ColumnType::Unknown: return Blob(p, p + n);
    }
    return {};
}

void AccessTable::Impl::readRowAt(int row, int hops, const std::function<void(const std::vector<FieldValue>&)>& onRow,
                                  std::vector<MdbField>& fields, std::vector<FieldValue>& values) {
    const int size = pageSize();
    const int rco = mdb->fmt->row_count_offset;
    const unsigned char* page = mdb->pg_buf;
    const int rows = static_cast<int>(le16(page + rco));
    if (row < 0 || row >= rows || rco + 2 + 2 * rows > size) return;
    const int raw = static_cast<int>(le16(page + rco + 2 + 2 * row));
    // The copy a moved row points to is marked deleted, so it is skipped when
    // met on its own page and read only through the pointer.
    if ((raw & kDeletedRow) && hops == 0) return;
    const int start = raw & kOffsetMask;
    const int end = row == 0 ? size : static_cast<int>(le16(page + rco + 2 * row)) & kOffsetMask;
    if (start < rco + 2 + 2 * rows || start >= end || end > size) return;

    if (raw & kMovedRow) {
        if (end - start < 4 || hops >= kMaxRowHops) return;
        const int targetRow = page[start];
        const unsigned long targetPage = le32(page + start) >> 8;
        if (mdb_read_pg(mdb, targetPage) != size) return;
        if (mdb->pg_buf[0] != MDB_PAGE_DATA ||
            le32(mdb->pg_buf + 4) != static_cast<std::uint32_t>(table->entry->table_pg))
            return;
        readRowAt(targetRow, hops + 1, onRow, fields, values);
        return;
    }
    if (mdb_crack_row(table.get(), start, static_cast<std::size_t>(end - start), fields.data()) < 0) return;
    for (std::size_t i = 0; i < kinds.size(); ++i) values[i] = decode(i, fields[i]);
    onRow(values);
}

void AccessTable::readRows(const std::function<void(const std::vector<FieldValue>&)>& onRow,
                           const std::function<void()>& onPage) {
    Impl& t = *impl_;
    MdbTableDef* def = t.table.get();
    if (t.kinds.empty()) return;
    std::vector<MdbField> fields(t.kinds.size());
    std::vector<FieldValue> values(t.kinds.size());
    const int size = t.pageSize();
    std::vector<unsigned char> page(static_cast<std::size_t>(size));
    mdb_rewind_table(def);
    while (mdb_read_next_dpg(def)) {
        const unsigned long pageNumber = def->cur_phys_pg;
        std::memcpy(page.data(), t.mdb->pg_buf, page.size());
        const int rows = static_cast<int>(le16(page.data() + t.mdb->fmt->row_count_offset));
        for (int row = 0; row < rows; ++row) {
            t.readRowAt(row, 0, onRow, fields, values);
            if (t.mdb->cur_pg != pageNumber) {
                // Following a moved row loaded another page; put this one back.
                std::memcpy(t.mdb->pg_buf, page.data(), page.size());
                t.mdb->cur_pg = static_cast<guint32>(pageNumber);
            }
        }
        onPage();
    }
}

}  // namespace zelk::access
