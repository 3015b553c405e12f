#include "database/result_spool.h"

#include "database/row_store.h"

namespace zelk {
namespace {

constexpr std::size_t kBufferSize = std::size_t{256} << 10;
constexpr long kRowsPerMark = 128;

}  // namespace

ResultSpool::ResultSpool(std::size_t columns)
    : columns_(columns), file_(kBufferSize), values_(columns), starts_(columns), lengths_(columns) {}

void ResultSpool::append(sqlite3_stmt* stmt) {
    if (file_.bufferFull()) file_.flush();
    if (rows_ % kRowsPerMark == 0) marks_.push_back(file_.size());
    for (std::size_t c = 0; c < columns_; ++c) {
        const StoredValue v = storedAt(stmt, static_cast<int>(c));
        file_.putByte(v.cls);
        switch (v.cls) {
        case StoredValue::Null: break;
        case StoredValue::Integer: file_.putBits(static_cast<std::uint64_t>(v.i)); break;
        case StoredValue::Real: file_.putDouble(v.r); break;
        case StoredValue::Text:
        case StoredValue::Blob:
            file_.putVarint(v.text.size());
            file_.putBytes(v.text);
            break;
        }
    }
    ++rows_;
}

void ResultSpool::finish() { file_.flush(); }

const std::vector<StoredValue>& ResultSpool::row(long p) {
    if (p == loaded_) return values_;
    if (!reader_ || p < next_ || p - next_ >= kRowsPerMark) {
        const long mark = p / kRowsPerMark;
        reader_.emplace(file_, marks_[static_cast<std::size_t>(mark)]);
        next_ = mark * kRowsPerMark;
    }
    while (next_ < p) load();
    load();
    loaded_ = p;
    return values_;
}

void ResultSpool::load() {
    SpoolFile::Reader& in = *reader_;
    // Texts go into one buffer first: views into it are taken once it no
    // longer grows.
    texts_.clear();
    for (std::size_t c = 0; c < columns_; ++c) {
        StoredValue& v = values_[c];
        v = StoredValue{};
        v.cls = static_cast<StoredValue::Class>(in.byte());
        switch (v.cls) {
        case StoredValue::Null: break;
        case StoredValue::Integer: v.i = static_cast<std::int64_t>(in.bits()); break;
        case StoredValue::Real: v.r = in.real(); break;
        case StoredValue::Text:
        case StoredValue::Blob: {
            const auto n = static_cast<std::size_t>(in.varint());
            starts_[c] = texts_.size();
            texts_.resize(texts_.size() + n);
            in.bytes(texts_.data() + starts_[c], n);
            lengths_[c] = n;
            break;
        }
        default: throw SpoolFile::error("tijdelijk bestand met rijen is beschadigd");
        }
    }
    for (std::size_t c = 0; c < columns_; ++c) {
        StoredValue& v = values_[c];
        if (v.cls == StoredValue::Text || v.cls == StoredValue::Blob)
            v.text = std::string_view(texts_.data() + starts_[c], lengths_[c]);
    }
    ++next_;
}

}  // namespace zelk
