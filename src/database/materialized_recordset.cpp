#include "database/materialized_recordset.h"
#include "runtime/text.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "database/jet_errors.h"

namespace zelk {

MaterializedRecordset::MaterializedRecordset(RowStore rows) : rows_(std::move(rows)), type_(dbOpenDynaset) {
    order_.resize(rows_.rowCount());
    std::iota(order_.begin(), order_.end(), 0u);
    naming_ = FieldNaming(rows_.columns());
}

MaterializedRecordset::MaterializedRecordset(RowStore rows, std::vector<IndexDefinition> indexes)
    : rows_(std::move(rows)), type_(dbOpenTable), indexes_(std::move(indexes)) {
    order_.resize(rows_.rowCount());
    std::iota(order_.begin(), order_.end(), 0u);
    naming_ = FieldNaming(rows_.columns());
}

void MaterializedRecordset::requireOpen() const {
    if (closed_) throw jet::objectInvalid(jet::kSourceRecordset);
}

void MaterializedRecordset::requireTable() const {
    requireOpen();
    if (type_ != dbOpenTable) throw jet::notSupported(jet::kSourceRecordset);
}

bool MaterializedRecordset::Eof() const {
    requireOpen();
    return size() == 0 || pos_ >= static_cast<long>(size());
}

bool MaterializedRecordset::Bof() const {
    requireOpen();
    return size() == 0 || pos_ < 0;
}

void MaterializedRecordset::MoveFirst() {
    requireOpen();
    if (size() == 0) throw jet::noCurrentRecord();
    pos_ = 0;
}

void MaterializedRecordset::MoveLast() {
    requireOpen();
    if (size() == 0) throw jet::noCurrentRecord();
    pos_ = static_cast<long>(size()) - 1;
}

void MaterializedRecordset::MoveNext() {
    if (Eof()) throw jet::noCurrentRecord();
    ++pos_;
}

void MaterializedRecordset::MovePrevious() {
    if (Bof()) throw jet::noCurrentRecord();
    --pos_;
}

long MaterializedRecordset::RecordCount() const {
    requireOpen();
    return static_cast<long>(size());
}

std::size_t MaterializedRecordset::fieldIndex(const std::string& name) const {
    requireOpen();
    return naming_.indexOf(name);
}

Variant MaterializedRecordset::fieldAt(std::size_t index) const {
    requireOpen();
    if (Eof() || Bof()) throw jet::noCurrentRecord();
    return rows_.value(order_[static_cast<std::size_t>(pos_)], index);
}

std::vector<std::string> MaterializedRecordset::fieldNames() const {
    requireOpen();
    return naming_.names();
}

void MaterializedRecordset::SetIndex(const std::string& indexName) {
    requireTable();
    // The history lookup sets the same index before every seek; the order of
    // an index already in force is kept instead of sorting the table again.
    if (!indexName_.empty() && upperCase(indexName_) == upperCase(indexName)) {
        pos_ = 0;
        noMatch_ = false;
        return;
    }
    const IndexDefinition* def = findIndex(indexes_, indexName);
    if (!def) throw jet::notAnIndex(indexName);

    const std::size_t n = rows_.rowCount();
    sort_.clear();
    for (const IndexColumn& ic : def->columns) {
        SortColumn sc{ic.column, ic.descending, rows_.columns()[ic.column].kind, {}};
        sc.values.reserve(n);
        for (std::size_t r = 0; r < n; ++r) sc.values.push_back(sortValueOf(sc.kind, rows_.stored(r, ic.column)));
        sort_.push_back(std::move(sc));
    }
    order_.resize(n);
    std::iota(order_.begin(), order_.end(), 0u);
    // Equal keys keep the table's stored order.
    std::stable_sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
        for (const SortColumn& sc : sort_) {
            int c = compareSortValues(sc.values[a], sc.values[b]);
            if (sc.descending) c = -c;
            if (c != 0) return c < 0;
        }
        return false;
    });
    indexName_ = def->name;
    pos_ = 0;
    noMatch_ = false;
}

int MaterializedRecordset::compareWithKey(std::uint32_t row, const std::vector<SortValue>& keys) const {
    for (std::size_t k = 0; k < keys.size(); ++k) {
        int c = compareSortValues(sort_[k].values[row], keys[k]);
        if (sort_[k].descending) c = -c;
        if (c != 0) return c;
    }
    return 0;
}

void MaterializedRecordset::Seek(const std::string& comparison, const std::vector<Variant>& keys) {
    requireTable();
    if (indexName_.empty())
        throw DbError(3019, "De bewerking is ongeldig zonder een huidige index.", jet::kSourceRecordset);
    if (keys.empty() || keys.size() > sort_.size()) throw DbError(3001, "Ongeldig argument.", jet::kSourceRecordset);
    std::string op;
    for (char c : comparison)
        if (c != ' ') op += c;
    if (op != "=" && op != ">=" && op != ">" && op != "<=" && op != "<")
        throw DbError(3001, "Ongeldig argument.", jet::kSourceRecordset);

    std::vector<std::string> holders(keys.size());
    std::vector<SortValue> probe;
    for (std::size_t k = 0; k < keys.size(); ++k) probe.push_back(sortValueOfKey(sort_[k].kind, keys[k], holders[k]));

    // Index order is ascending in the comparison of compareWithKey, so the
    // records at or after the key form a tail of the order.
    const auto lower = std::partition_point(order_.begin(), order_.end(),
                                            [&](std::uint32_t r) { return compareWithKey(r, probe) < 0; });
    const auto upperIt = std::partition_point(order_.begin(), order_.end(),
                                              [&](std::uint32_t r) { return compareWithKey(r, probe) <= 0; });
    auto at = order_.end();
    if (op == ">=") at = lower;
    else if (op == ">") at = upperIt;
    else if (op == "=") at = (lower != upperIt) ? lower : order_.end();
    else if (op == "<") at = lower == order_.begin() ? order_.end() : lower - 1;
    else at = upperIt == order_.begin() ? order_.end() : upperIt - 1;

    noMatch_ = at == order_.end();
    // Without a match there is no current record.
    pos_ = noMatch_ ? static_cast<long>(size()) : static_cast<long>(at - order_.begin());
}

bool MaterializedRecordset::NoMatch() const {
    requireOpen();
    return noMatch_;
}

void MaterializedRecordset::Close() {
    requireOpen();
    closed_ = true;
    rows_ = RowStore();
    order_.clear();
    sort_.clear();
}

}  // namespace zelk
