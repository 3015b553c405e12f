#include "spreadsheet/row_spool.h"

#include "runtime/runtime_error.h"

namespace zelk {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;

}  // namespace

RowSpool::RowSpool() : file_(kBufferSize) {}

void RowSpool::append(long row, const std::vector<Cell>& cells, const std::vector<std::string>& texts) {
    // Flushed before the row goes in: a failed write refuses this row and
    // keeps every earlier one for the next try.
    if (file_.bufferFull()) file_.flush();
    file_.putVarint(static_cast<std::uint64_t>(row));
    file_.putVarint(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Cell& c = cells[i];
        file_.putByte(static_cast<std::uint8_t>(c.kind()));
        file_.putVarint(c.style());
        switch (c.kind()) {
        case CellKind::Empty: break;
        case CellKind::Number:
        case CellKind::Date: file_.putDouble(c.number()); break;
        case CellKind::Currency: file_.putBits(static_cast<std::uint64_t>(c.currencyScaled())); break;
        case CellKind::Boolean: file_.putByte(c.boolean() ? 1 : 0); break;
        case CellKind::String:
            file_.putVarint(texts[i].size());
            file_.putBytes(texts[i]);
            break;
        }
    }
    ++rows_;
    lastRow_ = row;
}

void RowSpool::forEach(const std::function<void(std::size_t, const SpooledRow&)>& visit) {
    // Pending rows go to the file first, so one reader sees them all.
    file_.flush();
    SpoolFile::Reader in(file_, 0);
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
            case CellKind::Date: c.setNumber(in.real(), kind); break;
            case CellKind::Currency: c.setCurrency(static_cast<std::int64_t>(in.bits())); break;
            case CellKind::Boolean: c.setBoolean(in.byte() != 0); break;
            case CellKind::String:
                text.resize(static_cast<std::size_t>(in.varint()));
                in.bytes(text.data(), text.size());
                c.setString(r.strings.append(text));
                break;
            default: throw SpoolFile::error("tijdelijk bestand met rijen is beschadigd");
            }
        }
        visit(index, r);
    }
}

}  // namespace zelk
