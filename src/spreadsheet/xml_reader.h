#pragma once
// A small pull reader for the XML parts of an .xlsx package: elements with
// their attributes, and text with the predefined and numeric character
// references decoded. No DTD is processed and no entity is expanded, so a
// hostile document cannot make it grow. Prefixes are dropped from names.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk {

struct XmlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class XmlReader {
public:
    enum class Token { Start, End, Text, Eof };

    // Views `doc`, which must outlive the reader.
    explicit XmlReader(std::string_view doc) : doc_(doc) {}
    // The next token; an empty element gives Start and then End.
    Token next();
    // Local name of the current Start or End element.
    const std::string& name() const { return name_; }
    // Attribute of the current Start element by local name.
    std::optional<std::string> attr(std::string_view localName) const;
    // Decoded text of the current Text token.
    const std::string& text() const { return text_; }
    // From a Start token: all text inside the element, up to its End.
    std::string elementText();

private:
    void parseTag();
    static std::string localName(std::string_view qname);
    std::string decode(std::string_view raw) const;

    std::string_view doc_;
    std::size_t pos_ = 0;
    bool pendingEnd_ = false;
    std::string name_;
    std::string text_;
    std::vector<std::pair<std::string, std::string>> attrs_;
};

}  // namespace zelk
