#pragma once
// Streaming XML through expat, for the parts of an .xlsx package: elements
// with their attributes by local name (prefixes and namespaces dropped) and
// character data. A document with a DTD is refused, so no entity can make
// it grow.

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelk {

struct XmlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The attributes of a start tag.
class XmlAttributes {
public:
    explicit XmlAttributes(const char** attrs) : attrs_(attrs) {}
    std::optional<std::string> get(std::string_view localName) const;

private:
    const char** attrs_;
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void start(std::string_view name, const XmlAttributes& attrs) = 0;
    virtual void end(std::string_view name) = 0;
    // Character data, possibly in several pieces; only asked for when
    // wantsText() (a check of the structure alone parses faster without).
    virtual void text(std::string_view) {}
    virtual bool wantsText() const { return true; }
};

class XmlParser {
public:
    explicit XmlParser(XmlHandler& handler);
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Feeds the next piece; XmlError when the document is not well formed.
    void feed(std::string_view piece);
    // The end of the document: XmlError when it is incomplete.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Parses a whole document.
void parseXml(std::string_view doc, XmlHandler& handler);

}  // namespace zelk
