#include "spreadsheet/xml_parser.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <limits>

namespace zelk {
namespace {

// Namespaced names arrive as "uri\x01local".
constexpr char kSeparator = '\x01';

std::string_view localName(const char* name) {
    const char* sep = std::strchr(name, kSeparator);
    const char* local = sep ? sep + 1 : name;
    if (const char* colon = std::strchr(local, ':')) local = colon + 1;
    return local;
}

}  // namespace

std::optional<std::string> XmlAttributes::get(std::string_view name) const {
    for (const char** a = attrs_; a && a[0]; a += 2)
        if (localName(a[0]) == name) return std::string(a[1]);
    return std::nullopt;
}

struct XmlParser::Impl {
    XML_Parser parser = nullptr;
    XmlHandler* handler = nullptr;
    std::exception_ptr failure;  // thrown by a handler, passed on after expat returns

    template <class F>
    static void guarded(void* data, F&& f) {
        auto* self = static_cast<Impl*>(data);
        if (self->failure) return;
        // Boundary with C: no exception may cross expat's frames, whatever
        // its type; keep it, stop the parse and rethrow it after expat returns.
        try {
            f(*self->handler);
        } catch (...) {
            self->failure = std::current_exception();
            XML_StopParser(self->parser, XML_FALSE);
        }
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attrs) {
        guarded(data, [&](XmlHandler& h) { h.start(localName(name), XmlAttributes(attrs)); });
    }
    static void onEnd(void* data, const XML_Char* name) {
        guarded(data, [&](XmlHandler& h) { h.end(localName(name)); });
    }
    static void onText(void* data, const XML_Char* s, int len) {
        guarded(data, [&](XmlHandler& h) { h.text(std::string_view(s, static_cast<std::size_t>(len))); });
    }
    static void onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        guarded(data, [](XmlHandler&) { throw XmlError("een DTD is niet toegestaan"); });
    }

    void check(XML_Status status) {
        if (failure) std::rethrow_exception(failure);
        if (status != XML_STATUS_OK)
            throw XmlError(std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " (regel " +
                           std::to_string(XML_GetCurrentLineNumber(parser)) + ")");
    }
};

XmlParser::XmlParser(XmlHandler& handler) : impl_(std::make_unique<Impl>()) {
    impl_->handler = &handler;
    impl_->parser = XML_ParserCreateNS(nullptr, kSeparator);
    if (!impl_->parser) throw std::bad_alloc();
    XML_SetUserData(impl_->parser, impl_.get());
    XML_SetElementHandler(impl_->parser, &Impl::onStart, &Impl::onEnd);
    if (handler.wantsText()) XML_SetCharacterDataHandler(impl_->parser, &Impl::onText);
    XML_SetStartDoctypeDeclHandler(impl_->parser, &Impl::onDoctype);
}

XmlParser::~XmlParser() { XML_ParserFree(impl_->parser); }

void XmlParser::feed(std::string_view piece) {
    while (!piece.empty()) {
        const std::size_t n = std::min<std::size_t>(piece.size(), std::numeric_limits<int>::max() / 2);
        impl_->check(XML_Parse(impl_->parser, piece.data(), static_cast<int>(n), XML_FALSE));
        piece.remove_prefix(n);
    }
}

void XmlParser::finish() { impl_->check(XML_Parse(impl_->parser, "", 0, XML_TRUE)); }

void parseXml(std::string_view doc, XmlHandler& handler) {
    XmlParser p(handler);
    p.feed(doc);
    p.finish();
}

}  // namespace zelk
