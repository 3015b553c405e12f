#include "spreadsheet/sheet_part_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "runtime/text.h"

namespace zelk {
namespace {

constexpr std::size_t kKeep = 64;

// "<c" opens a cell only when followed by a blank, "/" or ">" ("<col" does not).
bool cellTagAt(std::string_view s, std::size_t at) {
    if (at + 3 > s.size() || s[at] != '<' || s[at + 1] != 'c') return false;
    const char next = s[at + 2];
    return next == ' ' || next == '/' || next == '>';
}

}  // namespace

void SheetPartScan::feed(std::string_view piece) {
    if (piece.empty()) return;
    countTags(piece);
    checkCharacters(piece);
    if (piece.size() >= kKeep) {
        end_.assign(piece.substr(piece.size() - kKeep));
    } else {
        end_ += piece;
        if (end_.size() > kKeep) end_.erase(0, end_.size() - kKeep);
    }
}

void SheetPartScan::countTags(std::string_view piece) {
    // A tag split between pieces starts in the last two bytes before this one.
    const std::size_t k = std::min<std::size_t>(end_.size(), 2);
    const std::string edge = end_.substr(end_.size() - k) + std::string(piece.substr(0, 2));
    for (std::size_t i = 0; i < k; ++i)
        if (cellTagAt(edge, i)) ++cells_;
    // Eight bytes at a time, looking only at the "<" among them: a sheet has
    // one every few bytes, and a search call per tag costs more.
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
    constexpr std::uint64_t kOpen = kOnes * static_cast<unsigned char>('<');
    std::size_t i = 0;
    for (; i + 8 <= piece.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, piece.data() + i, sizeof x);
        const std::uint64_t y = x ^ kOpen;
        // Flags every "<" (a byte above one may be flagged too; cellTagAt
        // looks at the bytes themselves). The lowest byte comes first.
        for (std::uint64_t hits = (y - kOnes) & ~y & kHigh; hits != 0; hits &= hits - 1)
            if (cellTagAt(piece, i + static_cast<std::size_t>(std::countr_zero(hits) >> 3))) ++cells_;
    }
    for (; i + 2 < piece.size(); ++i)
        if (cellTagAt(piece, i)) ++cells_;
}

void SheetPartScan::checkCharacters(std::string_view piece) {
    std::string joined;
    if (!carry_.empty()) {
        joined = carry_ + std::string(piece);
        piece = joined;
        carry_.clear();
    }
    const std::size_t n = piece.size();
    std::size_t i = 0;
    while (i < n) {
        // Eight plain characters (0x20..0x7F) at a time: the bulk of a sheet.
        if (i + 8 <= n) {
            std::uint64_t x;
            std::memcpy(&x, piece.data() + i, sizeof x);
            constexpr std::uint64_t kHigh = 0x8080808080808080u, kSpace = 0x2020202020202020u;
            if (((x | ((x - kSpace) & ~x)) & kHigh) == 0) {
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(piece[i]);
        if (c >= 0x20 && c < 0x80) {
            ++i;
            continue;
        }
        if (c < 0x20) {
            if (c != '\t' && c != '\n' && c != '\r') bad_ = true;
            ++i;
            continue;
        }
        const std::size_t len = utf8LeadSize(c);
        if (len == 0) {
            bad_ = true;
            ++i;
            continue;
        }
        if (i + len > n) {
            carry_.assign(piece.substr(i));
            return;
        }
        const Utf8Char ch = utf8CharAt(piece, i);
        if (ch.size == 0 || ch.cp == 0xFFFE || ch.cp == 0xFFFF) bad_ = true;
        i += len;
    }
}

bool SheetPartScan::complete() const {
    const std::size_t last = end_.find_last_not_of(" \r\n\t");
    return last != std::string::npos && std::string_view(end_).substr(0, last + 1).ends_with("</worksheet>");
}

}  // namespace zelk
