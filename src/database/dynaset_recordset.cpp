#include "database/dynaset_recordset.h"

#include "database/jet_errors.h"
#include "runtime/runtime_error.h"

namespace zelk {

DynasetRecordset::DynasetRecordset(sqlite3* db, std::weak_ptr<const void> alive, sqlite::Statement stmt)
    : db_(db),
      alive_(std::move(alive)),
      stmt_(std::move(stmt)),
      columns_(resultColumns(stmt_.get())),
      naming_(columns_) {
    // The first record is read now, as opening a recordset reads it: an
    // error of the select shows at the open.
    reach(0);
}

void DynasetRecordset::requireOpen() const {
    if (closed_ || alive_.expired()) throw jet::objectInvalid(jet::kSourceRecordset);
}

bool DynasetRecordset::reach(long p) const {
    if (p < 0 || (count_ >= 0 && p >= count_)) return false;
    if (spooled(p)) return true;
    if (at_ == p && !done_) return true;
    if (done_ || at_ > p) {
        sqlite3_reset(stmt_.get());
        at_ = -1;
        done_ = false;
    }
    while (at_ < p) {
        if (!jet::onRecordset([&] { return sqlite::step(db_, stmt_.get()); })) {
            done_ = true;
            count_ = at_ + 1;
            // Let go of the read transaction as soon as the rows are done.
            sqlite3_reset(stmt_.get());
            return false;
        }
        ++at_;
    }
    return true;
}

bool DynasetRecordset::empty() const {
    if (count_ >= 0) return count_ == 0;
    return at_ < 0 && !reach(0);
}

bool DynasetRecordset::Eof() const {
    requireOpen();
    return pos_ >= 0 ? !reach(pos_) : empty();
}

bool DynasetRecordset::Bof() const {
    requireOpen();
    return pos_ < 0 || empty();
}

void DynasetRecordset::MoveFirst() {
    requireOpen();
    if (empty()) throw jet::noCurrentRecord();
    pos_ = 0;
}

void DynasetRecordset::MoveLast() {
    requireOpen();
    if (empty()) throw jet::noCurrentRecord();
    pos_ = RecordCount() - 1;
}

void DynasetRecordset::MoveNext() {
    if (Eof()) throw jet::noCurrentRecord();
    ++pos_;
}

void DynasetRecordset::MovePrevious() {
    if (Bof()) throw jet::noCurrentRecord();
    if (Eof()) pos_ = RecordCount();  // from past the end to the last record
    --pos_;
}

long DynasetRecordset::RecordCount() const {
    requireOpen();
    if (count_ < 0) {
        // Counted by running the select on to its end: the same plan as the
        // rows themselves, where a COUNT(*) around it may be planned worse.
        startSpool();
        while (!done_) {
            if (!jet::onRecordset([&] { return sqlite::step(db_, stmt_.get()); })) {
                done_ = true;
                count_ = at_ + 1;
                sqlite3_reset(stmt_.get());
            } else {
                ++at_;
                try {
                    if (spool_) spool_->append(stmt_.get());
                } catch (const RuntimeError&) {
                    spool_.reset();  // the disk is full: the select runs again instead
                }
            }
        }
        try {
            if (spool_) spool_->finish();
        } catch (const RuntimeError&) {
            spool_.reset();
        }
    }
    return count_;
}

void DynasetRecordset::startSpool() const {
    // Without a scratch file the count is still right; the records then come
    // from a second run of the select.
    try {
        spool_ = std::make_unique<ResultSpool>(columns_.size());
    } catch (const RuntimeError&) {
        return;
    }
    spoolFirst_ = at_ + 1;
    if (at_ >= 0 && !done_) {
        spoolFirst_ = at_;
        try {
            spool_->append(stmt_.get());
        } catch (const RuntimeError&) {
            spool_.reset();
        }
    }
}

std::vector<std::string> DynasetRecordset::fieldNames() const {
    requireOpen();
    return naming_.names();
}

std::size_t DynasetRecordset::fieldIndex(const std::string& name) const {
    requireOpen();
    return naming_.indexOf(name);
}

Variant DynasetRecordset::fieldAt(std::size_t index) const {
    requireOpen();
    if (!reach(pos_)) throw jet::noCurrentRecord();
    if (spooled(pos_)) return fieldValue(columns_[index].kind, spool_->row(pos_ - spoolFirst_)[index]);
    return fieldValue(columns_[index].kind, storedAt(stmt_.get(), static_cast<int>(index)));
}

void DynasetRecordset::SetIndex(const std::string&) {
    requireOpen();
    throw jet::notSupported(jet::kSourceRecordset);
}

void DynasetRecordset::Seek(const std::string&, const std::vector<Variant>&) {
    requireOpen();
    throw jet::notSupported(jet::kSourceRecordset);
}

bool DynasetRecordset::NoMatch() const {
    requireOpen();
    return false;
}

void DynasetRecordset::Close() {
    requireOpen();
    closed_ = true;
    stmt_.reset();
    spool_.reset();
}

}  // namespace zelk
