#include "database/table_recordset.h"

#include <algorithm>

#include "database/jet_errors.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace {

// Enough for the records of one asset's history.
constexpr std::size_t kAhead = 16;
// Where the chain's statement may stay on its row, a record is read only
// when a move reaches it: a lookup mostly wants the first one on its key.
constexpr std::size_t kStandingAhead = 1;

bool comparesTextWithoutCase(const std::string& collation) { return upperCase(collation) == "NOCASE"; }

// Columns whose values are texts must be compared as Jet compares them.
bool holdsText(FieldKind k) { return k == FieldKind::Text || k == FieldKind::Untyped; }

}  // namespace

std::unique_ptr<TableRecordset> TableRecordset::open(sqlite3* db, std::weak_ptr<const void> alive,
                                                     const std::string& schema, const std::string& table) {
    const std::string from = sqlite::quoteIdentifier(schema) + "." + sqlite::quoteIdentifier(table);
    const auto names = sqlite::columnNames(db, schema, table);
    std::string rowid;
    for (const char* candidate : {"rowid", "_rowid_", "oid"})
        if (std::find(names.begin(), names.end(), upperCase(candidate)) == names.end()) {
            rowid = candidate;
            break;
        }
    if (rowid.empty()) return nullptr;
    try {
        sqlite::prepare(db, "SELECT " + rowid + " FROM " + from);
    } catch (const sqlite::Failure&) {
        return nullptr;  // a table without rowid
    }
    auto st = sqlite::prepare(db, "SELECT * FROM " + from);
    std::vector<ResultColumn> columns = resultColumns(st.get());
    std::vector<IndexDefinition> indexes = readIndexes(db, schema, table, columns);
    for (const IndexDefinition& def : indexes)
        for (const IndexColumn& c : def.columns)
            if (holdsText(columns[c.column].kind) && !comparesTextWithoutCase(c.collation)) return nullptr;
    return std::unique_ptr<TableRecordset>(
        new TableRecordset(db, std::move(alive), from, rowid, std::move(columns), std::move(indexes)));
}

TableRecordset::TableRecordset(sqlite3* db, std::weak_ptr<const void> alive, std::string from, std::string rowid,
                               std::vector<ResultColumn> columns, std::vector<IndexDefinition> indexes)
    : db_(db),
      alive_(std::move(alive)),
      from_(std::move(from)),
      rowid_(std::move(rowid)),
      columns_(std::move(columns)),
      naming_(columns_),
      indexes_(std::move(indexes)) {
    auto st = sqlite::prepare(db_, "SELECT EXISTS (SELECT 1 FROM " + from_ + ")");
    sqlite::step(db_, st.get());
    empty_ = sqlite3_column_int(st.get(), 0) == 0;
    useOrder(nullptr);
}

void TableRecordset::requireOpen() const {
    if (closed_ || alive_.expired()) throw jet::objectInvalid(jet::kSourceRecordset);
}

void TableRecordset::useOrder(const IndexDefinition* def) {
    dropCurrent();
    statements_.clear();
    order_.clear();
    indexName_ = def ? def->name : std::string();
    indexedBy_ = def && !def->sqliteName.empty() ? " INDEXED BY " + sqlite::quoteIdentifier(def->sqliteName) : "";
    if (def)
        for (const IndexColumn& c : def->columns)
            order_.push_back({sqlite::quoteIdentifier(columns_[c.column].name) + " COLLATE " + c.collation,
                              c.descending, static_cast<int>(c.column)});
    // Equal keys keep the table's stored order.
    order_.push_back({rowid_, false, static_cast<int>(columns_.size())});
    pendingFirst_ = true;
    noMatch_ = false;
}

void TableRecordset::dropCurrent() const {
    if (current_) sqlite3_reset(current_);
    current_ = nullptr;
}

sqlite3_stmt* TableRecordset::statementFor(const Segment& s) const {
    // One statement per shape: the equal columns that are Null, the
    // condition and the direction.
    std::uint64_t nulls = 0;
    for (std::size_t k = 0; k < s.eq; ++k)
        if (key_[k].cls == StoredValue::Null) nulls |= std::uint64_t{1} << k;
    const std::uint64_t shape =
        s.eq | (static_cast<std::uint64_t>(s.cond) << 8) | (static_cast<std::uint64_t>(forward_) << 11) | (nulls << 12);
    auto& slot = statements_[shape];
    if (!slot) {
        std::string where;
        const auto add = [&](const std::string& cond) { where += (where.empty() ? " WHERE " : " AND ") + cond; };
        for (std::size_t k = 0; k < s.eq; ++k)
            add(order_[k].name + (key_[k].cls == StoredValue::Null ? " IS NULL" : " = ?" + std::to_string(k + 1)));
        const std::string& c = order_[std::min(s.eq, order_.size() - 1)].name;
        const std::string param = "?" + std::to_string(s.eq + 1);
        switch (s.cond) {
        case Cond::None: break;
        case Cond::Greater: add(c + " > " + param); break;
        case Cond::Less: add(c + " < " + param); break;
        case Cond::IsNull: add(c + " IS NULL"); break;
        case Cond::NotNull: add(c + " IS NOT NULL"); break;
        }
        std::string orderBy;
        for (std::size_t k = s.eq; k < order_.size(); ++k)
            orderBy += (orderBy.empty() ? " ORDER BY " : ", ") + order_[k].name +
                       (forward_ != order_[k].descending ? " ASC" : " DESC");
        slot = sqlite::prepare(db_, "SELECT *, " + rowid_ + " FROM " + from_ + indexedBy_ + where + orderBy);
    }
    sqlite3_stmt* st = slot.get();
    sqlite3_clear_bindings(st);
    const auto bind = [&](int n, const Bound& b) {
        switch (b.cls) {
        case StoredValue::Integer: sqlite3_bind_int64(st, n, b.i); break;
        case StoredValue::Real: sqlite3_bind_double(st, n, b.r); break;
        case StoredValue::Text:
            sqlite3_bind_text(st, n, b.text.data(), static_cast<int>(b.text.size()), SQLITE_STATIC);
            break;
        case StoredValue::Blob:
            sqlite3_bind_blob(st, n, b.text.data(), static_cast<int>(b.text.size()), SQLITE_STATIC);
            break;
        default: break;
        }
    };
    for (std::size_t k = 0; k < s.eq; ++k) bind(static_cast<int>(k + 1), key_[k]);
    if (s.cond == Cond::Greater || s.cond == Cond::Less) bind(static_cast<int>(s.eq + 1), key_[s.eq]);
    return st;
}

bool TableRecordset::position(std::vector<Bound> key, bool inclusive, bool forward) const {
    dropCurrent();
    pendingFirst_ = false;
    key_ = std::move(key);
    forward_ = forward;
    segments_.clear();
    next_ = 0;
    // The rows on the key, then those that differ from it first in the last
    // key column, then in the one before it, and so on. NULL is the lowest
    // value; a descending column runs from high to low.
    if (inclusive) segments_.push_back({key_.size(), Cond::None});
    keyFirst_ = inclusive && forward;
    for (std::size_t j = key_.size(); j-- > 0;) {
        const bool up = forward != order_[j].descending;
        if (key_[j].cls == StoredValue::Null) {
            if (up) segments_.push_back({j, Cond::NotNull});
        } else if (up) {
            segments_.push_back({j, Cond::Greater});
        } else {
            segments_.push_back({j, Cond::Less});
            segments_.push_back({j, Cond::IsNull});
        }
    }
    readAhead(mayStand() ? kStandingAhead : kAhead);
    if (aheadCount_ > 0) {
        state_ = State::OnRow;
        return true;
    }
    state_ = forward ? State::AtEof : State::AtBof;
    return false;
}

void TableRecordset::readAhead(std::size_t limit) const {
    aheadCount_ = 0;
    at_ = 0;
    more_ = false;
    for (;;) {
        if (aheadCount_ == limit) {
            more_ = true;  // the statement may hold more
            break;
        }
        if (current_ && jet::onRecordset([&] { return sqlite::step(db_, current_); })) {
            if (aheadCount_ == 0) firstSegment_ = next_ - 1;
            if (ahead_.size() == aheadCount_) ahead_.emplace_back(columns_.size() + 1);
            keepRow(ahead_[aheadCount_++]);
            continue;
        }
        dropCurrent();
        // A lookup mostly reads the rows on its key: the segment after them
        // is read only when a move goes on into it.
        if (aheadCount_ > 0 || next_ == segments_.size()) break;
        current_ = jet::onRecordset([&] { return statementFor(segments_[next_++]); });
    }
    if (!(more_ && mayStand())) dropCurrent();
}

void TableRecordset::keepRow(std::vector<Bound>& r) const {
    for (std::size_t c = 0; c < r.size(); ++c) {
        const StoredValue v = storedAt(current_, static_cast<int>(c));
        r[c].cls = v.cls;
        r[c].i = v.i;
        r[c].r = v.r;
        r[c].text.assign(v.text);
    }
}

bool TableRecordset::mayStand() const { return sqlite3_get_autocommit(db_) == 0; }

bool TableRecordset::advance() const {
    if (at_ + 1 < aheadCount_) {
        ++at_;
        return true;
    }
    if (more_ && current_) {
        // The chain's statement stands on the last record read.
        readAhead(kStandingAhead);
        if (aheadCount_ == 0) return false;
        state_ = State::OnRow;
        return true;
    }
    if (more_) {
        // The chain goes on from the last record read.
        std::vector<Bound> key;
        for (const KeyColumn& c : order_) key.push_back(ahead_[aheadCount_ - 1][static_cast<std::size_t>(c.resultPos)]);
        return position(std::move(key), false, forward_);
    }
    // On into the chain's next segments: often only their first record is wanted.
    readAhead(1);
    if (aheadCount_ == 0) return false;
    state_ = State::OnRow;
    return true;
}

void TableRecordset::settle() const {
    if (!pendingFirst_) return;
    if (!position({}, true, true)) state_ = State::AtEof;
}

std::vector<TableRecordset::Bound> TableRecordset::currentKey() const {
    std::vector<Bound> key;
    key.reserve(order_.size());
    for (const KeyColumn& c : order_) key.push_back(row()[static_cast<std::size_t>(c.resultPos)]);
    return key;
}

bool TableRecordset::Eof() const {
    requireOpen();
    settle();
    return empty_ || state_ == State::AtEof;
}

bool TableRecordset::Bof() const {
    requireOpen();
    settle();
    return empty_ || state_ == State::AtBof;
}

void TableRecordset::MoveFirst() {
    requireOpen();
    if (empty_) throw jet::noCurrentRecord();
    position({}, true, true);
}

void TableRecordset::MoveLast() {
    requireOpen();
    if (empty_) throw jet::noCurrentRecord();
    position({}, true, false);
}

void TableRecordset::MoveNext() {
    if (Eof()) throw jet::noCurrentRecord();
    if (state_ == State::AtBof) position({}, true, true);
    else if (!forward_) position(currentKey(), false, true);
    else if (!advance()) state_ = State::AtEof;
}

void TableRecordset::MovePrevious() {
    if (Bof()) throw jet::noCurrentRecord();
    if (state_ == State::AtEof) position({}, true, false);
    else if (forward_) position(currentKey(), false, false);
    else if (!advance()) state_ = State::AtBof;
}

long TableRecordset::RecordCount() const {
    requireOpen();
    if (count_ < 0)
        count_ = jet::onRecordset([&] {
            auto st = sqlite::prepare(db_, "SELECT COUNT(*) FROM " + from_);
            sqlite::step(db_, st.get());
            return static_cast<long>(sqlite3_column_int64(st.get(), 0));
        });
    return count_;
}

std::vector<std::string> TableRecordset::fieldNames() const {
    requireOpen();
    return naming_.names();
}

std::size_t TableRecordset::fieldIndex(const std::string& name) const {
    requireOpen();
    return naming_.indexOf(name);
}

Variant TableRecordset::fieldAt(std::size_t index) const {
    if (Eof() || Bof()) throw jet::noCurrentRecord();
    const Bound& b = row()[index];
    StoredValue v;
    v.cls = b.cls;
    v.i = b.i;
    v.r = b.r;
    v.text = b.text;
    return fieldValue(columns_[index].kind, v);
}

void TableRecordset::SetIndex(const std::string& indexName) {
    requireOpen();
    const IndexDefinition* def = findIndex(indexes_, indexName);
    if (!def) throw jet::notAnIndex(indexName);
    // The history lookup sets the same index before every seek: keep its
    // statements.
    if (def->name == indexName_) {
        dropCurrent();
        pendingFirst_ = true;
        noMatch_ = false;
        return;
    }
    useOrder(&*def);
}

TableRecordset::Bound TableRecordset::keyBound(std::size_t column, const Variant& key) const {
    SeekKey k = seekKeyOf(columns_[column].kind, key);
    Bound b;
    switch (k.cls) {
    case SeekKey::Null: break;
    case SeekKey::Number:
        b.cls = StoredValue::Real;
        b.r = k.number;
        break;
    case SeekKey::Date:
        // Dates are stored as ISO texts, which sort as the dates do.
        b.cls = StoredValue::Text;
        b.text = isoDateText(Date{k.number});
        break;
    case SeekKey::Text:
        b.cls = StoredValue::Text;
        b.text = std::move(k.text);
        break;
    }
    return b;
}

void TableRecordset::Seek(const std::string& comparison, const std::vector<Variant>& keys) {
    requireOpen();
    if (indexName_.empty())
        throw DbError(3019, "De bewerking is ongeldig zonder een huidige index.", jet::kSourceRecordset);
    if (keys.empty() || keys.size() >= order_.size()) throw DbError(3001, "Ongeldig argument.", jet::kSourceRecordset);
    std::string op;
    for (char c : comparison)
        if (c != ' ') op += c;
    if (op != "=" && op != ">=" && op != ">" && op != "<=" && op != "<")
        throw DbError(3001, "Ongeldig argument.", jet::kSourceRecordset);

    std::vector<Bound> key;
    key.reserve(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k)
        key.push_back(keyBound(static_cast<std::size_t>(order_[k].resultPos), keys[k]));
    bool found = false;
    if (op == ">=") found = position(std::move(key), true, true);
    else if (op == ">") found = position(std::move(key), false, true);
    else if (op == "<") found = position(std::move(key), false, false);
    else if (op == "<=") found = position(std::move(key), true, false);
    else found = position(std::move(key), true, true) && firstSegment_ == 0;  // a record on the key
    noMatch_ = !found;
    // Without a match there is no current record.
    if (noMatch_) {
        dropCurrent();
        state_ = State::AtEof;
    }
}

bool TableRecordset::MoveNextOnKey() {
    if (Eof()) throw jet::noCurrentRecord();
    // Only a chain that began on its key and is still in the records on it
    // knows where they end; any other move is an ordinary one.
    if (state_ != State::OnRow || !keyFirst_ || firstSegment_ != 0 || next_ != 1) return Recordset::MoveNextOnKey();
    if (at_ + 1 < aheadCount_) {
        ++at_;
        return true;
    }
    if (!more_) return false;  // the key's records are all read: the next one lies beyond it
    if (!current_) return Recordset::MoveNextOnKey();
    // The statement stands on the current record: one step tells.
    if (jet::onRecordset([&] { return sqlite::step(db_, current_); })) {
        keepRow(ahead_[0]);
        aheadCount_ = 1;
        at_ = 0;
        return true;
    }
    // Past the key's records: a later move goes on into the chain's next
    // segments, from this record.
    dropCurrent();
    more_ = false;
    return false;
}

bool TableRecordset::NoMatch() const {
    requireOpen();
    return noMatch_;
}

void TableRecordset::Close() {
    requireOpen();
    dropCurrent();
    statements_.clear();
    closed_ = true;
}

}  // namespace zelk
