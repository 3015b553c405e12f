#pragma once
// A table recordset served by statements over the table and its indexes:
// only the record it stands on and a few read ahead are held, whatever the
// size of the table. A position in an index's order is the chain of index
// range scans that runs from it; moving against the chain's direction, or
// past the records read ahead, starts a new chain from a record's key.
// Between moves no statement is left standing on a row, so the recordset
// holds no lock on the file; inside a transaction, which holds the lock
// anyway, the chain's statement stays on its row and the records after it
// are read from there as moves reach them.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/field_naming.h"
#include "database/recordset.h"
#include "database/row_store.h"
#include "database/sqlite_handle.h"
#include "database/table_index.h"

namespace zelk {

class TableRecordset : public Recordset {
public:
    // Null when the table's rows cannot be ordered this way exactly as Jet
    // orders them (an index that compares text with case, a table without
    // rowid); such a table is read whole instead. Throws sqlite::Failure.
    static std::unique_ptr<TableRecordset> open(sqlite3* db, std::weak_ptr<const void> alive, const std::string& schema,
                                                const std::string& table);

    bool Eof() const override;
    bool Bof() const override;
    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    long RecordCount() const override;
    std::vector<std::string> fieldNames() const override;
    std::size_t fieldIndex(const std::string& name) const override;
    Variant fieldAt(std::size_t index) const override;
    void SetIndex(const std::string& indexName) override;
    void Seek(const std::string& comparison, const std::vector<Variant>& keys) override;
    bool NoMatch() const override;
    bool MoveNextOnKey() override;
    void Close() override;

    // The name of the index in use, "" when none.
    const std::string& index() const { return indexName_; }

private:
    // A key value, owned.
    struct Bound {
        StoredValue::Class cls = StoredValue::Null;
        std::int64_t i = 0;
        double r = 0;
        std::string text;
    };
    struct KeyColumn {
        std::string name;  // quoted, with the index's collation
        bool descending = false;
        int resultPos = 0;  // in the statements' rows
    };
    // Rows whose first `eq` key columns equal the chain's key, and (unless
    // Cond::None) whose next column lies beyond the key's value.
    enum class Cond : std::uint8_t { None, Greater, Less, IsNull, NotNull };
    struct Segment {
        std::size_t eq = 0;
        Cond cond = Cond::None;
    };
    enum class State : std::uint8_t { OnRow, AtBof, AtEof };

    TableRecordset(sqlite3* db, std::weak_ptr<const void> alive, std::string from, std::string rowid,
                   std::vector<ResultColumn> columns, std::vector<IndexDefinition> indexes);

    void requireOpen() const;
    void useOrder(const IndexDefinition* def);
    // Starts a chain at `key` (a prefix of the key columns); false when it
    // holds no row.
    bool position(std::vector<Bound> key, bool inclusive, bool forward) const;
    // Reads up to `limit` records of the chain; stops at the end of a segment
    // once it has one.
    void readAhead(std::size_t limit) const;
    void keepRow(std::vector<Bound>& r) const;  // the row current_ stands on
    // True inside a transaction: a statement may then stay on its row.
    bool mayStand() const;
    bool advance() const;
    const std::vector<Bound>& row() const { return ahead_[at_]; }
    void dropCurrent() const;
    void settle() const;
    sqlite3_stmt* statementFor(const Segment& s) const;
    std::vector<Bound> currentKey() const;
    Bound keyBound(std::size_t column, const Variant& key) const;

    sqlite3* db_;
    std::weak_ptr<const void> alive_;
    std::string from_;   // "schema"."table"
    std::string rowid_;  // a name of the rowid that no column hides
    std::vector<ResultColumn> columns_;
    FieldNaming naming_;
    std::vector<IndexDefinition> indexes_;
    std::vector<KeyColumn> order_;  // the index's columns, then the rowid
    std::string indexName_;
    std::string indexedBy_;
    bool empty_ = false;
    mutable long count_ = -1;
    bool closed_ = false;
    bool noMatch_ = false;

    // The chain; mutable because the first record of an order is found when
    // it is first asked for, also from const members.
    mutable bool pendingFirst_ = true;
    mutable State state_ = State::AtEof;
    mutable std::vector<Bound> key_;
    mutable bool forward_ = true;
    mutable std::vector<Segment> segments_;
    mutable std::size_t next_ = 0;
    mutable sqlite3_stmt* current_ = nullptr;
    // The current record and those after it: the first aheadCount_ rows;
    // rows past them keep their storage for the next read.
    mutable std::vector<std::vector<Bound>> ahead_;
    mutable std::size_t aheadCount_ = 0;
    mutable std::size_t at_ = 0;
    mutable bool more_ = false;             // the chain may hold records after ahead_
    mutable std::size_t firstSegment_ = 0;  // the segment of ahead_'s first record
    mutable bool keyFirst_ = false;         // the chain's first segment holds the records on its key
    mutable std::unordered_map<std::uint64_t, sqlite::Statement> statements_;
};

}  // namespace zelk
