#include "spreadsheet/xml_reader.h"

#include "runtime/text.h"

#include <cctype>
#include <cstdint>

namespace zelk {
namespace {

// A character reference must name a real character.
void appendReference(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) throw XmlError("ongeldige tekenverwijzing");
    appendUtf8(out, cp);
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string XmlReader::localName(std::string_view qname) {
    const auto colon = qname.find(':');
    return std::string(colon == std::string_view::npos ? qname : qname.substr(colon + 1));
}

std::string XmlReader::decode(std::string_view raw) const {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const auto semi = raw.find(';', i);
        if (semi == std::string_view::npos || semi - i > 12) throw XmlError("ongeldige entiteit");
        const std::string_view ent = raw.substr(i + 1, semi - i - 1);
        if (ent == "lt") out += '<';
        else if (ent == "gt") out += '>';
        else if (ent == "amp") out += '&';
        else if (ent == "quot") out += '"';
        else if (ent == "apos") out += '\'';
        else if (ent.size() > 1 && ent[0] == '#') {
            std::uint32_t cp = 0;
            const bool hex = ent[1] == 'x' || ent[1] == 'X';
            const std::string_view digits = ent.substr(hex ? 2 : 1);
            if (digits.empty()) throw XmlError("ongeldige tekenverwijzing");
            for (char c : digits) {
                int d;
                if (std::isdigit(static_cast<unsigned char>(c))) d = c - '0';
                else if (hex && std::isxdigit(static_cast<unsigned char>(c))) d = std::tolower(c) - 'a' + 10;
                else throw XmlError("ongeldige tekenverwijzing");
                cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
                if (cp > 0x10FFFF) throw XmlError("ongeldige tekenverwijzing");
            }
            appendReference(out, cp);
        } else {
            throw XmlError("onbekende entiteit &" + std::string(ent) + ";");
        }
        i = semi;
    }
    return out;
}

XmlReader::Token XmlReader::next() {
    if (pendingEnd_) {
        pendingEnd_ = false;
        return Token::End;
    }
    for (;;) {
        if (pos_ >= doc_.size()) return Token::Eof;
        if (doc_[pos_] != '<') {
            const auto lt = doc_.find('<', pos_);
            const auto end = lt == std::string_view::npos ? doc_.size() : lt;
            text_ = decode(doc_.substr(pos_, end - pos_));
            pos_ = end;
            return Token::Text;
        }
        const std::string_view rest = doc_.substr(pos_);
        if (rest.starts_with("<?")) {
            const auto e = doc_.find("?>", pos_);
            if (e == std::string_view::npos) throw XmlError("onafgesloten verwerkingsopdracht");
            pos_ = e + 2;
        } else if (rest.starts_with("<!--")) {
            const auto e = doc_.find("-->", pos_);
            if (e == std::string_view::npos) throw XmlError("onafgesloten commentaar");
            pos_ = e + 3;
        } else if (rest.starts_with("<![CDATA[")) {
            const auto e = doc_.find("]]>", pos_);
            if (e == std::string_view::npos) throw XmlError("onafgesloten CDATA");
            text_ = std::string(doc_.substr(pos_ + 9, e - pos_ - 9));
            pos_ = e + 3;
            return Token::Text;
        } else if (rest.starts_with("<!")) {
            throw XmlError("DTD's worden niet gelezen");
        } else if (rest.starts_with("</")) {
            const auto e = doc_.find('>', pos_);
            if (e == std::string_view::npos) throw XmlError("onafgesloten eindtag");
            std::string_view q = doc_.substr(pos_ + 2, e - pos_ - 2);
            while (!q.empty() && isSpace(q.back())) q.remove_suffix(1);
            name_ = localName(q);
            pos_ = e + 1;
            return Token::End;
        } else {
            parseTag();
            return Token::Start;
        }
    }
}

void XmlReader::parseTag() {
    std::size_t p = pos_ + 1;
    const std::size_t n = doc_.size();
    const std::size_t nameStart = p;
    while (p < n && !isSpace(doc_[p]) && doc_[p] != '>' && doc_[p] != '/') ++p;
    if (p == nameStart) throw XmlError("tag zonder naam");
    name_ = localName(doc_.substr(nameStart, p - nameStart));
    attrs_.clear();
    for (;;) {
        while (p < n && isSpace(doc_[p])) ++p;
        if (p >= n) throw XmlError("onafgesloten tag");
        if (doc_[p] == '>') {
            pos_ = p + 1;
            return;
        }
        if (doc_[p] == '/') {
            if (p + 1 >= n || doc_[p + 1] != '>') throw XmlError("ongeldige tag");
            pos_ = p + 2;
            pendingEnd_ = true;
            return;
        }
        const std::size_t an = p;
        while (p < n && doc_[p] != '=' && !isSpace(doc_[p]) && doc_[p] != '>') ++p;
        const std::string aname = localName(doc_.substr(an, p - an));
        while (p < n && isSpace(doc_[p])) ++p;
        if (p >= n || doc_[p] != '=') throw XmlError("attribuut zonder waarde");
        ++p;
        while (p < n && isSpace(doc_[p])) ++p;
        if (p >= n || (doc_[p] != '"' && doc_[p] != '\'')) throw XmlError("attribuutwaarde zonder aanhalingstekens");
        const char quote = doc_[p++];
        const auto close = doc_.find(quote, p);
        if (close == std::string_view::npos) throw XmlError("onafgesloten attribuutwaarde");
        attrs_.emplace_back(aname, decode(doc_.substr(p, close - p)));
        p = close + 1;
    }
}

std::optional<std::string> XmlReader::attr(std::string_view localName) const {
    for (const auto& [k, v] : attrs_)
        if (k == localName) return v;
    return std::nullopt;
}

std::string XmlReader::elementText() {
    std::string out;
    int depth = 1;
    while (depth > 0) {
        switch (next()) {
        case Token::Start: ++depth; break;
        case Token::End: --depth; break;
        case Token::Text: out += text_; break;
        case Token::Eof: throw XmlError("onverwacht einde van het document");
        }
    }
    return out;
}

}  // namespace zelk
