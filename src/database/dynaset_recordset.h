#pragma once
// A dynaset that steps through its statement instead of holding its rows:
// the current record is the statement's row. Moving back re-runs the
// statement up to the record; counting runs it to its end, keeping the rows
// it passes in a scratch file, from which every later move is served.

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "database/field_naming.h"
#include "database/recordset.h"
#include "database/result_spool.h"
#include "database/row_store.h"
#include "database/sqlite_handle.h"

namespace zelk {

class DynasetRecordset : public Recordset {
public:
    // `stmt` is a prepared select. Throws sqlite::Failure.
    DynasetRecordset(sqlite3* db, std::weak_ptr<const void> alive, sqlite::Statement stmt);

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
    void Close() override;

private:
    void requireOpen() const;
    // Steps the statement to record `p`; false when there is none.
    bool reach(long p) const;
    bool empty() const;
    bool spooled(long p) const { return spool_ && p >= spoolFirst_ && p - spoolFirst_ < spool_->size(); }
    void startSpool() const;

    sqlite3* db_;
    std::weak_ptr<const void> alive_;
    sqlite::Statement stmt_;
    std::vector<ResultColumn> columns_;
    FieldNaming naming_;
    bool closed_ = false;
    long pos_ = 0;               // -1: before the first record
    mutable long at_ = -1;       // the record the statement stands on, -1 when reset
    mutable bool done_ = false;  // the statement ran past its last record
    mutable long count_ = -1;    // the number of records, once known
    // Records spoolFirst_ onwards, once a count ran the statement to its end.
    mutable std::unique_ptr<ResultSpool> spool_;
    mutable long spoolFirst_ = 0;
};

}  // namespace zelk
