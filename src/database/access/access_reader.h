#pragma once
// Reads an Access file through libmdb: the catalog, the tables with their
// columns and indexes, and the rows. libmdb locates pages, columns and the
// fields of a row; the values themselves are decoded here, from the bytes,
// so that nothing is cut short or rounded (libmdb's texts stop at its bind
// size and its numbers pass through printf formats). This code trusts the
// file as far as libmdb does: run it only in a process that may die.
//
// libmdb skips what it cannot make sense of (a page of the wrong kind, a row
// whose offsets are off) and reads on, which turns a damaged file into one
// with rows missing. What the format lets a reader verify on the way is
// verified here, and a file that fails is refused as a whole (DamagedTable).

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace zelk::access {

using Blob = std::vector<std::uint8_t>;
// NULL, a whole number, a real number, a UTF-8 text, or bytes.
using FieldValue = std::variant<std::monostate, std::int64_t, double, std::string, Blob>;

enum class ColumnType {
    Text,
    Memo,
    Byte,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    DateTime,
    Boolean,
    Numeric,
    Guid,
    Binary,
    OleObject,
    Complex,
    Unknown
};

struct ColumnInfo {
    std::string name;
    ColumnType kind = ColumnType::Unknown;
    int number = 0;  // Jet's column number, which the indexes refer to
};

struct IndexInfo {
    std::string name;
    bool primaryKey = false;
    bool unique = false;
    std::vector<std::pair<std::string, bool>> keys;  // column name, descending
};

enum class ObjectKind { Table, SystemTable, LinkedTable, Query, Other };

struct CatalogObject {
    std::string name;
    ObjectKind kind = ObjectKind::Other;
    std::uint32_t id = 0;  // the low 24 bits of the MSysObjects Id
};

class AccessTable;

// The file contradicts itself where `table` is stored: a page of the wrong
// type or owner, a row or long value that points outside its page or the
// file, or another number of rows than the table definition counts. What
// could be read of the table is not all of it.
class DamagedTable : public std::runtime_error {
public:
    explicit DamagedTable(const std::string& table) : std::runtime_error("damaged table " + table), table_(table) {}
    const std::string& table() const { return table_; }

private:
    std::string table_;
};

class AccessFile {
public:
    // nullptr when libmdb cannot open the file or read its catalog; throws
    // DamagedTable ("MSysObjects") when the catalog is damaged.
    static std::unique_ptr<AccessFile> open(const std::string& path);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    const std::vector<CatalogObject>& objects() const { return objects_; }
    // nullptr when the table definition cannot be read; throws DamagedTable
    // when its pages are no table definition.
    std::unique_ptr<AccessTable> openTable(const std::string& name);

    struct Impl;

private:
    explicit AccessFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::vector<CatalogObject> objects_;
};

class AccessTable {
public:
    ~AccessTable();
    AccessTable(const AccessTable&) = delete;
    AccessTable& operator=(const AccessTable&) = delete;

    const std::vector<ColumnInfo>& columns() const { return columns_; }
    // Indexes whose columns could all be found; foreign-key shadows are left out.
    const std::vector<IndexInfo>& indexes() const { return indexes_; }

    // Every live row in stored order (deleted rows skipped, moved rows
    // followed), one value per column. `onPage` runs after each data page.
    // Throws DamagedTable, possibly after some rows were delivered.
    void readRows(const std::function<void(const std::vector<FieldValue>&)>& onRow,
                  const std::function<void()>& onPage);

    struct Impl;

private:
    friend struct AccessFile::Impl;
    explicit AccessTable(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::vector<ColumnInfo> columns_;
    std::vector<IndexInfo> indexes_;
};

}  // namespace zelk::access
