#pragma once
// The check of a written sheet part that stands in for parsing it: its cell
// tags counted, its closing tag present, and no character XML cannot carry.
// Texts are escaped as they enter a cell and the rest of the markup is the
// writer's own, so what can go wrong is a part cut short or a stray byte;
// this finds both at a fraction of a parse's cost.

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

class SheetPartScan {
public:
    // The part's bytes, in pieces of any size.
    void feed(std::string_view piece);
    std::uint64_t cells() const { return cells_; }
    // The part ends with its closing tag.
    bool complete() const;
    // Every byte is part of a character XML 1.0 allows.
    bool characters() const { return !bad_ && carry_.empty(); }

private:
    void countTags(std::string_view piece);
    void checkCharacters(std::string_view piece);

    std::uint64_t cells_ = 0;
    std::string end_;    // the last bytes seen
    std::string carry_;  // a character cut between pieces
    bool bad_ = false;
};

}  // namespace zelk
