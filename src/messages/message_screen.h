#pragma once
// The text of the message screen: coloured runs of text, trimmed so that a
// long run never lets it grow past about 128000 characters. A view (the GUI)
// listens and mirrors every change; the model is the truth.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/text.h"

namespace zelk {

class MessageScreen {
public:
    struct Run {
        std::size_t length;  // characters
        std::uint32_t colour;
    };
    struct Observer {
        // `text` was inserted at character position `at` (0-based) in `colour`.
        std::function<void(std::size_t at, const std::u32string& text, std::uint32_t colour)> inserted;
        // The first `count` characters were replaced by `replacement` (colour of the text that stood there).
        std::function<void(std::size_t count, const std::u32string& replacement)> replacedPrefix;
        std::function<void()> cleared;
    };

    static constexpr std::size_t kTrimAbove = 128000;
    static constexpr std::size_t kTrimFrom = 32000;

    // Step 4 and 5 of a message line: trim, then insert at the start or the end.
    void add(const std::string& utf8, bool lineBreak, bool atStart, std::uint32_t colour);
    void clear();

    std::size_t size() const { return text_.size(); }
    const std::u32string& text32() const { return text_; }
    std::string text() const;  // UTF-8
    const std::vector<Run>& runs() const { return runs_; }
    // Colour of the character at a 0-based position.
    std::uint32_t colourAt(std::size_t pos) const;

    // What the user selected on the screen (0-based positions, clipped to the
    // text). Any change of the text drops it, as the screen's caret moves then.
    void select(std::size_t start, std::size_t length);
    // The selection as its coloured pieces, or the whole text when nothing
    // is selected.
    struct Piece {
        std::u32string text;
        std::uint32_t colour;
    };
    std::vector<Piece> selectedOrAll() const;

    void setObserver(Observer o) { observer_ = std::move(o); }

private:
    void trim();
    void insert(std::size_t at, const std::u32string& s, std::uint32_t colour);
    void replacePrefix(std::size_t count, const std::u32string& replacement);

    std::u32string text_;
    std::vector<Run> runs_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
    Observer observer_;
};

}  // namespace zelk
