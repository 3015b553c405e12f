#pragma once
// The engine's recordset: a dynaset (the rows of a select) or a table (the
// rows of one table, with its indexes), held in memory: the way a table is
// read when its indexes do not order text as Jet does. A table recordset
// runs in the order of the index set with SetIndex and seeks in it.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/field_naming.h"
#include "database/recordset.h"
#include "database/row_store.h"
#include "database/table_index.h"

namespace zelk {

class MaterializedRecordset : public Recordset {
public:
    // A dynaset over the rows of a query.
    explicit MaterializedRecordset(RowStore rows);
    // A table recordset with the table's indexes.
    MaterializedRecordset(RowStore rows, std::vector<IndexDefinition> indexes);

    bool Eof() const override;
    bool Bof() const override;
    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    long RecordCount() const override;
    std::size_t fieldIndex(const std::string& name) const override;
    Variant fieldAt(std::size_t index) const override;
    std::vector<std::string> fieldNames() const override;
    void SetIndex(const std::string& indexName) override;
    void Seek(const std::string& comparison, const std::vector<Variant>& keys) override;
    bool NoMatch() const override;
    void Close() override;

    RecordsetType type() const { return type_; }
    // The name of the index in use, "" when none.
    const std::string& index() const { return indexName_; }

private:
    struct SortColumn {
        std::size_t column;
        bool descending;
        FieldKind kind;
        std::vector<SortValue> values;  // one per row, dates as serials
    };

    void requireOpen() const;
    void requireTable() const;
    std::size_t size() const { return order_.size(); }
    // Compares row `row` with the seek key on the first keys.size() columns,
    // in index order.
    int compareWithKey(std::uint32_t row, const std::vector<SortValue>& keys) const;

    RowStore rows_;
    RecordsetType type_;
    std::vector<IndexDefinition> indexes_;
    FieldNaming naming_;
    std::vector<std::uint32_t> order_;  // position -> row
    std::vector<SortColumn> sort_;      // the current index's key columns
    std::string indexName_;
    long pos_ = 0;  // -1: BOF, size(): EOF
    bool noMatch_ = false;
    bool closed_ = false;
};

}  // namespace zelk
