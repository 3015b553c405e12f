#include "messages/message_screen.h"

#include <algorithm>

namespace zelk {

std::string MessageScreen::text() const { return u32ToUtf8(text_); }

std::uint32_t MessageScreen::colourAt(std::size_t pos) const {
    std::size_t start = 0;
    for (const Run& r : runs_) {
        if (pos < start + r.length) return r.colour;
        start += r.length;
    }
    return 0;
}

void MessageScreen::select(std::size_t start, std::size_t length) {
    selStart_ = std::min(start, text_.size());
    selLength_ = std::min(length, text_.size() - selStart_);
}

std::vector<MessageScreen::Piece> MessageScreen::selectedOrAll() const {
    const std::size_t from = selLength_ ? selStart_ : 0;
    const std::size_t to = selLength_ ? selStart_ + selLength_ : text_.size();
    std::vector<Piece> pieces;
    std::size_t start = 0;
    for (const Run& r : runs_) {
        const std::size_t a = std::max(start, from);
        const std::size_t b = std::min(start + r.length, to);
        if (a < b) pieces.push_back({text_.substr(a, b - a), r.colour});
        start += r.length;
    }
    return pieces;
}

void MessageScreen::add(const std::string& utf8, bool lineBreak, bool atStart, std::uint32_t colour) {
    trim();
    std::u32string s = utf8ToU32(utf8);
    if (lineBreak) s += U"\r\n";
    insert(atStart ? 0 : text_.size(), s, colour);
}

void MessageScreen::clear() {
    selLength_ = 0;
    text_.clear();
    runs_.clear();
    if (observer_.cleared) observer_.cleared();
}

// Keeps the text bounded: past 128000 characters everything up to and
// including the first line feed from position 32000 on gives way to ">" CR LF.
// Without such a line feed the marker is only put in front.
void MessageScreen::trim() {
    if (text_.size() <= kTrimAbove) return;
    const std::size_t lf = text_.find(U'\n', kTrimFrom - 1);
    if (lf == std::u32string::npos) {
        insert(0, U">\r\n", colourAt(0));
        return;
    }
    replacePrefix(lf + 1, U">\r\n");
}

void MessageScreen::insert(std::size_t at, const std::u32string& s, std::uint32_t colour) {
    if (s.empty()) return;
    selLength_ = 0;
    text_.insert(at, s);
    // Split the run that holds `at` and put the new run between its halves.
    std::size_t start = 0;
    std::size_t i = 0;
    for (; i < runs_.size(); ++i) {
        if (at <= start + runs_[i].length) break;
        start += runs_[i].length;
    }
    if (i < runs_.size() && at > start && at < start + runs_[i].length && runs_[i].colour == colour) {
        runs_[i].length += s.size();  // same colour inside a run: the run just grows
        if (observer_.inserted) observer_.inserted(at, s, colour);
        return;
    }
    if (i < runs_.size() && at > start && at < start + runs_[i].length) {
        const Run tail{start + runs_[i].length - at, runs_[i].colour};
        runs_[i].length = at - start;
        runs_.insert(runs_.begin() + static_cast<long>(i) + 1, tail);
        ++i;
    } else if (i < runs_.size() && at == start + runs_[i].length) {
        ++i;
    }
    if (i > 0 && runs_[i - 1].colour == colour) {
        runs_[i - 1].length += s.size();
    } else if (i < runs_.size() && runs_[i].colour == colour) {
        runs_[i].length += s.size();
    } else {
        runs_.insert(runs_.begin() + static_cast<long>(i), Run{s.size(), colour});
    }
    if (observer_.inserted) observer_.inserted(at, s, colour);
}

void MessageScreen::replacePrefix(std::size_t count, const std::u32string& replacement) {
    const std::uint32_t colour = colourAt(0);
    selLength_ = 0;
    text_.replace(0, count, replacement);
    std::size_t left = count;
    while (left > 0 && !runs_.empty()) {
        if (runs_.front().length <= left) {
            left -= runs_.front().length;
            runs_.erase(runs_.begin());
        } else {
            runs_.front().length -= left;
            left = 0;
        }
    }
    if (!runs_.empty() && runs_.front().colour == colour) runs_.front().length += replacement.size();
    else runs_.insert(runs_.begin(), Run{replacement.size(), colour});
    if (observer_.replacedPrefix) observer_.replacedPrefix(count, replacement);
}

}  // namespace zelk
