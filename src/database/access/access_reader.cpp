#include "database/access/access_reader.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

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
constexpr unsigned long kCatalogPage = 2;  // MSysObjects' definition, where every file starts its catalog
// The owner field of a long-value page: the bytes "LVAL".
constexpr std::uint32_t kLongValueOwner = 0x4C41564Cu;
constexpr std::uint32_t kSystemObject = 0x80000002u;  // the flags mdb_is_user_table looks for

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

// The pages of one file as far as they can be checked without a table.
struct PageCheck {
    MdbHandle* mdb = nullptr;
    unsigned long pages = 0;  // whole pages in the file

    // Reads page `number` into libmdb's page buffer: false when it lies
    // beyond the end of the file or is not of `type`.
    bool load(unsigned long number, unsigned char type) const {
        if (number == 0 || number >= pages) return false;
        return mdb_read_pg(mdb, number) == mdb->fmt->pg_size && mdb->pg_buf[0] == type;
    }
    // A table definition may continue on further pages, each linked from the
    // one before. Its usage map is a row on a data page; libmdb takes the
    // bytes at any page and row for it, and a map of nothing lists no pages.
    bool tableDefinition(unsigned long first) const {
        unsigned long hops = 0;
        for (unsigned long number = first; number != 0; number = le32(mdb->pg_buf + 4))
            if (++hops > pages || !load(number, MDB_PAGE_TABLE)) return false;
        if (!load(first, MDB_PAGE_TABLE)) return false;
        const std::uint32_t mapRow = le32(mdb->pg_buf + mdb->fmt->tab_usage_map_offset);
        const std::uint32_t row = mapRow & 0xFFu;
        if (!load(mapRow >> 8, MDB_PAGE_DATA)) return false;
        const int rco = mdb->fmt->row_count_offset;
        return row < le16(mdb->pg_buf + rco) && (le16(mdb->pg_buf + rco + 2 + 2 * static_cast<int>(row)) &
                                                 static_cast<std::uint32_t>(kDeletedRow | kMovedRow)) == 0;
    }
};

struct AccessFile::Impl {
    std::unique_ptr<MdbHandle, HandleCloser> mdb;
    PageCheck pages;
    MdbCatalogEntry catalogEntry{};  // MSysObjects, read before the catalog is there

    std::unique_ptr<AccessTable> openTable(MdbCatalogEntry& entry);
};

struct AccessTable::Impl {
    MdbHandle* mdb = nullptr;
    PageCheck pages;
    std::string name;
    // Jet keeps the row count of a user table exact (DAO's RecordCount reads
    // it); those of its system tables drift from their rows in sound files.
    bool countKept = false;
    std::unique_ptr<MdbTableDef, TableFreer> table;
    std::vector<ColumnType> kinds;
    std::vector<int> scales;

    bool jet3() const { return mdb->f->jet_version == MDB_VER_JET3; }
    int pageSize() const { return static_cast<int>(mdb->fmt->pg_size); }
    [[noreturn]] void damaged() const { throw DamagedTable(name); }
    std::uint32_t definitionPage() const { return static_cast<std::uint32_t>(table->entry->table_pg); }
    void loadDataPage(unsigned long number) const;
    void checkUsageMap() const;
    const unsigned char* longValueRow(int pgRow, std::size_t& len);

    std::string text(const unsigned char* p, std::size_t n) const {
        return jet3() ? decodeJet3Text(p, n) : decodeJet4Text(p, n);
    }
    bool readLongValue(int start, int size, Blob& out);
    FieldValue decode(std::size_t column, const MdbField& f);
    bool readRowAt(int row, int hops, const std::function<void(const std::vector<FieldValue>&)>& onRow,
                   std::vector<MdbField>& fields, std::vector<FieldValue>& values);
    std::uint32_t readPage(const std::function<void(const std::vector<FieldValue>&)>& onRow,
                           std::vector<MdbField>& fields, std::vector<FieldValue>& values);
};

AccessFile::AccessFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
AccessFile::~AccessFile() = default;

std::unique_ptr<AccessFile> AccessFile::open(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
    if (ec) return nullptr;
    MdbHandle* handle = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!handle) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->mdb.reset(handle);
    impl->pages = {handle, static_cast<unsigned long>(bytes / static_cast<std::uintmax_t>(handle->fmt->pg_size))};
    const char* const catalog = "MSysObjects";
    if (!impl->pages.tableDefinition(kCatalogPage)) throw DamagedTable(catalog);
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

    // libmdb passes over the catalog rows it cannot read; read them again
    // with every check, and count them against the entries libmdb found.
    MdbCatalogEntry& entry = file->impl_->catalogEntry;
    entry.mdb = handle;
    entry.object_type = MDB_TABLE;
    entry.table_pg = kCatalogPage;
    entry.flags = static_cast<int>(kSystemObject);
    std::snprintf(entry.object_name, sizeof entry.object_name, "%s", catalog);
    auto table = file->impl_->openTable(entry);
    if (!table) throw DamagedTable(catalog);
    std::size_t rows = 0;
    table->readRows([&rows](const std::vector<FieldValue>&) { ++rows; }, [] {});
    if (rows != handle->catalog->len) throw DamagedTable(catalog);
    return file;
}

std::unique_ptr<AccessTable> AccessFile::openTable(const std::string& name) {
    MdbHandle* mdb = impl_->mdb.get();
    for (unsigned i = 0; i < mdb->catalog->len; ++i) {
        auto* e = ptrAt<MdbCatalogEntry>(mdb->catalog, i);
        if (e && e->object_type == MDB_TABLE && name == e->object_name) return impl_->openTable(*e);
    }
    return nullptr;
}

std::unique_ptr<AccessTable> AccessFile::Impl::openTable(MdbCatalogEntry& entry) {
    const std::string name(entry.object_name, strnlen(entry.object_name, sizeof entry.object_name));
    if (!pages.tableDefinition(static_cast<unsigned long>(entry.table_pg))) throw DamagedTable(name);
    // Past the page type, libmdb fails only where the definition points
    // outside the file or its rows (the usage maps, the columns).
    MdbTableDef* def = mdb_read_table(&entry);
    if (!def) throw DamagedTable(name);
    auto impl = std::make_unique<AccessTable::Impl>();
    impl->mdb = mdb.get();
    impl->pages = pages;
    impl->name = name;
    impl->countKept = mdb_is_user_table(&entry);
    impl->table.reset(def);
    if (!mdb_read_columns(def) || !def->columns) throw DamagedTable(name);
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

// The row `pgRow` (page << 8 | row) of a long-value page; nullptr when the
// pointer leads outside the file, to another kind of page or outside its page.
const unsigned char* AccessTable::Impl::longValueRow(int pgRow, std::size_t& len) {
    const auto number = static_cast<unsigned long>(static_cast<std::uint32_t>(pgRow) >> 8);
    void* buf = nullptr;
    int offset = 0;
    if (number == 0 || number >= pages.pages || mdb_find_pg_row(mdb, pgRow, &buf, &offset, &len) != 0) return nullptr;
    const auto* page = static_cast<const unsigned char*>(buf);
    const std::uint32_t owner = le32(page + 4);
    if (page[0] != MDB_PAGE_DATA || (owner != kLongValueOwner && owner != definitionPage())) return nullptr;
    if (offset < 0 || static_cast<std::size_t>(offset) + len > static_cast<std::size_t>(pageSize())) return nullptr;
    return page + offset;
}

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
        std::size_t len = 0;
        const unsigned char* p = longValueRow(pgRow, len);
        if (!p) return false;
        out.assign(p, p + std::min<std::size_t>(len, length));
        return true;
    }
    if (word & 0xFF000000u) return false;
    // A chain of rows on long-value pages, each starting with the next link.
    out.clear();
    for (int hop = 0; pgRow != 0 && out.size() < length; ++hop) {
        std::size_t len = 0;
        const unsigned char* p = hop > (1 << 20) ? nullptr : longValueRow(pgRow, len);
        if (!p || len <= 4) return false;
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
    if (f.start < 0 || f.siz < 0 || f.start + f.siz > pageSize()) damaged();
    const unsigned char* p = mdb->pg_buf + f.start;
    const auto n = static_cast<std::size_t>(f.siz);
    // A fixed column narrower than its type: the definition is off.
    auto needs = [&](std::size_t bytes) {
        if (n < bytes) damaged();
    };
    switch (kind) {
    case ColumnType::Text: return text(p, n);
    case ColumnType::Memo: {
        Blob bytes;
        if (!readLongValue(f.start, f.siz, bytes)) damaged();
        return text(bytes.data(), bytes.size());
    }
    case ColumnType::OleObject: {
        Blob bytes;
        if (!readLongValue(f.start, f.siz, bytes)) damaged();
        return bytes;
    }
    case ColumnType::Byte: needs(1); return std::int64_t{p[0]};
    case ColumnType::Integer: needs(2); return std::int64_t{static_cast<std::int16_t>(le16(p))};
    case ColumnType::Long:
    case ColumnType::Complex: needs(4); return std::int64_t{static_cast<std::int32_t>(le32(p))};
    case ColumnType::Single: {
        needs(4);
        float v = 0;
        std::memcpy(&v, p, sizeof v);
        return static_cast<double>(v);
    }
    case ColumnType::Double: {
        needs(8);
        double v = 0;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case ColumnType::Currency: {
        needs(8);
        std::int64_t v = 0;
        std::memcpy(&v, p, sizeof v);
        return currencyToReal(v);
    }
    case ColumnType::DateTime: {
        needs(8);
        double v = 0;
        std::memcpy(&v, p, sizeof v);
        if (auto t = jetDateText(v)) return *t;
        return {};
    }
    case ColumnType::Numeric: needs(17); return jetNumericToReal(p, scales[column]);
    case ColumnType::Guid: needs(16); return jetGuidText(p);
    case ColumnType::Boolean: break;
    case ColumnType::Binary:
    case ColumnType::Unknown: return Blob(p, p + n);
    }
    return {};
}

// Every page the table's usage map lists must be one of its data pages, so
// the map's own pages (a map too large to lie in the definition) must be maps.
void AccessTable::Impl::checkUsageMap() const {
    const unsigned char* map = table->usage_map;
    if (map[0] != 1) return;
    for (std::size_t at = 1; at + 4 <= table->map_sz; at += 4) {
        const unsigned long number = le32(map + at);
        if (number != 0 && !pages.load(number, MDB_PAGE_MAP)) damaged();
    }
}

void AccessTable::Impl::loadDataPage(unsigned long number) const {
    if (!pages.load(number, MDB_PAGE_DATA) || le32(mdb->pg_buf + 4) != definitionPage()) damaged();
    const int rco = mdb->fmt->row_count_offset;
    if (rco + 2 + 2 * static_cast<int>(le16(mdb->pg_buf + rco)) > pageSize()) damaged();
}

// True when the row was delivered, false for a deleted one.
bool AccessTable::Impl::readRowAt(int row, int hops, const std::function<void(const std::vector<FieldValue>&)>& onRow,
                                  std::vector<MdbField>& fields, std::vector<FieldValue>& values) {
    const int size = pageSize();
    const int rco = mdb->fmt->row_count_offset;
    const unsigned char* page = mdb->pg_buf;
    const int rows = static_cast<int>(le16(page + rco));
    if (row < 0 || row >= rows) damaged();
    const int raw = static_cast<int>(le16(page + rco + 2 + 2 * row));
    // The copy a moved row points to is marked deleted, so it is skipped when
    // met on its own page and read only through the pointer.
    if ((raw & kDeletedRow) && hops == 0) return false;
    const int start = raw & kOffsetMask;
    const int end = row == 0 ? size : static_cast<int>(le16(page + rco + 2 * row)) & kOffsetMask;
    if (start < rco + 2 + 2 * rows || start >= end || end > size) damaged();

    if (raw & kMovedRow) {
        if (end - start < 4 || hops >= kMaxRowHops) damaged();
        const int targetRow = page[start];
        loadDataPage(le32(page + start) >> 8);
        return readRowAt(targetRow, hops + 1, onRow, fields, values);
    }
    if (mdb_crack_row(table.get(), start, static_cast<std::size_t>(end - start), fields.data()) < 0) damaged();
    for (std::size_t i = 0; i < kinds.size(); ++i) values[i] = decode(i, fields[i]);
    onRow(values);
    return true;
}

// The rows of the data page in libmdb's page buffer; returns how many were delivered.
std::uint32_t AccessTable::Impl::readPage(const std::function<void(const std::vector<FieldValue>&)>& onRow,
                                          std::vector<MdbField>& fields, std::vector<FieldValue>& values) {
    const auto pageNumber = mdb->cur_pg;
    const std::vector<unsigned char> page(mdb->pg_buf, mdb->pg_buf + pageSize());
    const int rows = static_cast<int>(le16(page.data() + mdb->fmt->row_count_offset));
    std::uint32_t delivered = 0;
    for (int row = 0; row < rows; ++row) {
        delivered += readRowAt(row, 0, onRow, fields, values) ? 1u : 0u;
        if (mdb->cur_pg != pageNumber) {
            // Following a moved row loaded another page; put this one back.
            std::memcpy(mdb->pg_buf, page.data(), page.size());
            mdb->cur_pg = pageNumber;
        }
    }
    return delivered;
}

void AccessTable::readRows(const std::function<void(const std::vector<FieldValue>&)>& onRow,
                           const std::function<void()>& onPage) {
    Impl& t = *impl_;
    MdbTableDef* def = t.table.get();
    if (t.kinds.empty()) return;
    std::vector<MdbField> fields(t.kinds.size());
    std::vector<FieldValue> values(t.kinds.size());
    t.checkUsageMap();
    std::uint64_t delivered = 0;
    // libmdb's own walk (mdb_read_next_dpg) passes over a listed page of any
    // kind that is not the table's, and reads on past a map it does not know.
    // Here only a data page of another table is passed over (libmdb's authors
    // met listed pages that were not the table's in a large file); were it the
    // table's own with its owner damaged, the row count tells.
    for (std::int64_t number = 0;;) {
        number =
            mdb_map_find_next(t.mdb, def->usage_map, static_cast<unsigned>(def->map_sz), static_cast<guint32>(number));
        if (number == 0) break;
        if (number < 0) t.damaged();
        if (!t.pages.load(static_cast<unsigned long>(number), MDB_PAGE_DATA)) t.damaged();
        if (le32(t.mdb->pg_buf + 4) != t.definitionPage()) continue;
        t.loadDataPage(static_cast<unsigned long>(number));
        delivered += t.readPage(onRow, fields, values);
        onPage();
    }
    if (t.countKept && delivered != def->num_rows) t.damaged();
}

}  // namespace zelk::access
