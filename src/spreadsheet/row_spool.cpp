#include "spreadsheet/row_spool.h"

#include <cstring>
#include <system_error>

#include "runtime/runtime_error.h"

namespace zelk {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;

RuntimeError spoolError(const std::string& what) { return RuntimeError(1004, "Werkmap", what); }

void putVarint(std::vector<char>& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

void putBits(std::vector<char>& out, std::uint64_t v) {
    char b[8];
    std::memcpy(b, &v, sizeof b);
    out.insert(out.end(), b, b + 8);
}

std::uint64_t doubleBits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// Reads the file back in large pieces.
class SpoolReader {
public:
    SpoolReader(const os::ScratchFile& file, std::uint64_t size) : file_(file), size_(size), buffer_(kBufferSize) {}

    bool atEnd() const { return pos_ == end_ && offset_ == size_; }

    std::uint8_t byte() {
        if (pos_ == end_) refill();
        return static_cast<std::uint8_t>(buffer_[pos_++]);
    }
    std::uint64_t varint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const std::uint8_t b = byte();
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        throw spoolError("tijdelijk bestand met rijen is beschadigd");
    }
    std::uint64_t bits() {
        char b[8];
        bytes(b, 8);
        std::uint64_t v;
        std::memcpy(&v, b, sizeof v);
        return v;
    }
    void bytes(char* out, std::size_t n) {
        while (n > 0) {
            if (pos_ == end_) refill();
            const std::size_t k = std::min(n, end_ - pos_);
            std::memcpy(out, buffer_.data() + pos_, k);
            pos_ += k;
            out += k;
            n -= k;
        }
    }

private:
    void refill() {
        if (offset_ >= size_) throw spoolError("tijdelijk bestand met rijen is onvolledig");
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), size_ - offset_));
        std::size_t got = 0;
        try {
            got = file_.readAt(buffer_.data(), want, offset_);
        } catch (const std::system_error& e) {
            throw spoolError("tijdelijk bestand met rijen niet te lezen: " +
                             std::string(std::strerror(e.code().value())));
        }
        if (got == 0) throw spoolError("tijdelijk bestand met rijen is onvolledig");
        offset_ += got;
        pos_ = 0;
        end_ = got;
    }

    const os::ScratchFile& file_;
    std::uint64_t size_;
    std::uint64_t offset_ = 0;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
};

// A file that cannot be made is the spool's own error.
os::ScratchFile openScratch() {
    try {
        return os::ScratchFile();
    } catch (const std::system_error& e) {
        throw spoolError("tijdelijk bestand voor rijen niet aan te maken: " +
                         std::string(std::strerror(e.code().value())));
    }
}

}  // namespace

RowSpool::RowSpool() : file_(openScratch()) { buffer_.reserve(kBufferSize); }

void RowSpool::append(long row, const std::vector<Cell>& cells, const std::vector<std::string>& texts) {
    // Flushed before the row goes in: a failed write refuses this row and
    // keeps every earlier one for the next try.
    if (buffer_.size() >= kBufferSize) flush();
    putVarint(buffer_, static_cast<std::uint64_t>(row));
    putVarint(buffer_, cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Cell& c = cells[i];
        buffer_.push_back(static_cast<char>(c.kind()));
        putVarint(buffer_, c.style());
        switch (c.kind()) {
        case CellKind::Empty: break;
        case CellKind::Number:
        case CellKind::Date: putBits(buffer_, doubleBits(c.number())); break;
        case CellKind::Currency: putBits(buffer_, static_cast<std::uint64_t>(c.currencyScaled())); break;
        case CellKind::Boolean: buffer_.push_back(c.boolean() ? 1 : 0); break;
        case CellKind::String:
            putVarint(buffer_, texts[i].size());
            buffer_.insert(buffer_.end(), texts[i].begin(), texts[i].end());
            break;
        }
    }
    ++rows_;
    lastRow_ = row;
}

void RowSpool::flush() {
    std::size_t done = 0;
    try {
        file_.writeAt(buffer_.data(), buffer_.size(), written_, done);
    } catch (const std::system_error& e) {
        written_ += done;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(done));
        throw spoolError("rijen niet weg te schrijven naar een tijdelijk bestand: " +
                         std::string(std::strerror(e.code().value())));
    }
    written_ += done;
    buffer_.clear();
}

void RowSpool::forEach(const std::function<void(std::size_t, const SpooledRow&)>& visit) {
    // Pending rows go to the file first, so one reader sees them all.
    if (!buffer_.empty()) flush();
    SpoolReader in(file_, written_);
    SpooledRow r;
    std::string text;
    for (std::size_t index = 0; index < rows_; ++index) {
        r.row = static_cast<long>(in.varint());
        r.cells.resize(static_cast<std::size_t>(in.varint()));
        r.strings.clear();
        for (Cell& c : r.cells) {
            const auto kind = static_cast<CellKind>(in.byte());
            c = Cell{};
            c.setStyle(static_cast<std::uint16_t>(in.varint()));
            switch (kind) {
            case CellKind::Empty: break;
            case CellKind::Number:
            case CellKind::Date: {
                const std::uint64_t b = in.bits();
                double d;
                std::memcpy(&d, &b, sizeof d);
                c.setNumber(d, kind);
                break;
            }
            case CellKind::Currency: c.setCurrency(static_cast<std::int64_t>(in.bits())); break;
            case CellKind::Boolean: c.setBoolean(in.byte() != 0); break;
            case CellKind::String:
                text.resize(static_cast<std::size_t>(in.varint()));
                in.bytes(text.data(), text.size());
                c.setString(r.strings.append(text));
                break;
            default: throw spoolError("tijdelijk bestand met rijen is beschadigd");
            }
        }
        visit(index, r);
    }
}

}  // namespace zelk
