#include "spreadsheet/xlsx_reader.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/cell_format.h"
#include "spreadsheet/cell_text.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/xml_parser.h"
#include "spreadsheet/zip_package.h"

namespace zelk {
namespace {

struct ReadFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Number formats every workbook has without listing them.
std::string builtinFormat(long id) {
    static const std::map<long, std::string> formats = {{1, "0"},
                                                        {2, "0.00"},
                                                        {3, "#,##0"},
                                                        {4, "#,##0.00"},
                                                        {9, "0%"},
                                                        {10, "0.00%"},
                                                        {11, "0.00E+00"},
                                                        {14, "d-m-yyyy"},
                                                        {15, "d-mmm-yy"},
                                                        {16, "d-mmm"},
                                                        {17, "mmm-yy"},
                                                        {18, "h:mm AM/PM"},
                                                        {19, "h:mm:ss AM/PM"},
                                                        {20, "h:mm"},
                                                        {21, "h:mm:ss"},
                                                        {22, "d-m-yyyy h:mm"},
                                                        {37, "#,##0 ;(#,##0)"},
                                                        {38, "#,##0 ;[Red](#,##0)"},
                                                        {39, "#,##0.00;(#,##0.00)"},
                                                        {40, "#,##0.00;[Red](#,##0.00)"},
                                                        {45, "mm:ss"},
                                                        {46, "[h]:mm:ss"},
                                                        {47, "mm:ss.0"},
                                                        {48, "##0.0E+0"},
                                                        {49, "@"}};
    auto it = formats.find(id);
    return it == formats.end() ? std::string() : it->second;
}

long number(const std::optional<std::string>& s, long fallback = 0) {
    if (!s || s->empty()) return fallback;
    char* end = nullptr;
    const long v = std::strtol(s->c_str(), &end, 10);
    return *end ? fallback : v;
}

// "xl/worksheets/sheet1.xml" from a target relative to xl/ or absolute.
std::string partName(const std::string& target) {
    if (!target.empty() && target.front() == '/') return target.substr(1);
    return "xl/" + target;
}

// The runtime's serial of a file serial (see the writer: the file's calendar
// has a 29 February 1900).
double runtimeSerial(double fileSerial) {
    if (fileSerial >= 61 || fileSerial < 1) return fileSerial;
    if (fileSerial >= 60) return 61 + (fileSerial - 60);
    return fileSerial + 1;
}

// A stored column width includes the cell padding (5 pixels of a 7-pixel
// digit); the application shows the width without it.
double characters(double stored) {
    if (!(stored > 0)) return 0;
    const double pixels = std::round(stored * 7.0);
    const double chars = pixels >= 12 ? (pixels - 5) / 7.0 : pixels / 12.0;
    return std::min(255.0, std::round(chars * 100.0) / 100.0);
}

struct Styles {
    std::vector<std::uint16_t> xfStyle;  // cellXfs index -> style number of the workbook
    std::vector<bool> xfIsDate;
};

// Parses one member of the package as it is unpacked.
void parsePart(const ZipPackage& zip, const std::string& part, XmlHandler& handler) {
    XmlParser parser(handler);
    zip.scan(part, [&](std::string_view piece) { parser.feed(piece); });
    parser.finish();
}

class StylesHandler : public XmlHandler {
public:
    explicit StylesHandler(StyleTable& table) : table_(table) {}
    Styles styles;

    void start(std::string_view n, const XmlAttributes& a) override {
        if (n == "numFmts" || n == "fonts" || n == "cellXfs" || n == "cellStyleXfs") section_ = n;
        else if (n == "numFmt") custom_[number(a.get("numFmtId"))] = a.get("formatCode").value_or("");
        else if (n == "font" && section_ == "fonts") {
            fontBold_.push_back(false);
            inFont_ = true;
        } else if (n == "b" && inFont_ && !fontBold_.empty()) {
            const auto v = a.get("val");
            fontBold_.back() = !v || (*v != "0" && *v != "false");
        } else if (n == "xf" && section_ == "cellXfs") {
            const long fmtId = number(a.get("numFmtId"));
            const long fontId = number(a.get("fontId"));
            const std::string code = custom_.count(fmtId) ? custom_[fmtId] : builtinFormat(fmtId);
            CellStyle s;
            s.bold = fontId >= 0 && static_cast<std::size_t>(fontId) < fontBold_.size() &&
                     fontBold_[static_cast<std::size_t>(fontId)];
            s.numberFormat = table_.formatId(code);
            styles.xfStyle.push_back(table_.intern(s));
            styles.xfIsDate.push_back(isDateFormat(code));
        }
    }
    void end(std::string_view n) override {
        if (n == "font") inFont_ = false;
        if (n == "cellXfs" || n == "fonts" || n == "numFmts" || n == "cellStyleXfs") section_.clear();
    }

private:
    StyleTable& table_;
    std::map<long, std::string> custom_;
    std::vector<bool> fontBold_;
    std::string section_;
    bool inFont_ = false;
};

// The texts of <si> items; phonetic runs (<rPh>) are not part of a text.
class SharedStringsHandler : public XmlHandler {
public:
    std::vector<std::string> strings;

    void start(std::string_view n, const XmlAttributes&) override {
        if (n == "si") {
            strings.emplace_back();
            inSi_ = true;
        } else if (n == "rPh") {
            phonetic_ = true;
        } else if (n == "t" && inSi_ && !phonetic_) {
            inText_ = true;
        }
    }
    void end(std::string_view n) override {
        if (n == "si") {
            strings.back() = unescapeCellText(strings.back());
            inSi_ = false;
        } else if (n == "rPh") {
            phonetic_ = false;
        } else if (n == "t") {
            inText_ = false;
        }
    }
    void text(std::string_view s) override {
        if (inText_) strings.back() += s;
    }

private:
    bool inSi_ = false, phonetic_ = false, inText_ = false;
};

// "CN5" -> (5, 92).
std::pair<long, long> cellRef(const std::string& r) {
    const auto a = parseCell(r);
    if (!a) throw ReadFailure{"ongeldige celverwijzing '" + r + "'"};
    return {a->row1, a->col1};
}

class SheetHandler : public XmlHandler {
public:
    SheetHandler(Worksheet& ws, const Styles& styles, const std::vector<std::string>& shared, Workbook& book)
        : ws_(ws), styles_(styles), shared_(shared), book_(book) {}

    void start(std::string_view n, const XmlAttributes& a) override {
        if (inCell_) {
            // The value: <v> or, for inline text, <t> inside <is> (and its runs).
            if (n == "rPh") phonetic_ = true;
            else if ((n == "v" || n == "t") && !phonetic_) {
                inValue_ = true;
                hasValue_ = true;
            }
            return;
        }
        if (n == "col") {
            const long min = number(a.get("min")), max = number(a.get("max"));
            if (min < 1 || max < min || max > kMaxColumns) throw ReadFailure{"ongeldige kolom"};
            const auto hidden = a.get("hidden");
            if (hidden && (*hidden == "1" || *hidden == "true")) ws_.setColumnWidth(min, max, 0);
            else if (const auto w = a.get("width")) ws_.setColumnWidth(min, max, characters(std::atof(w->c_str())));
        } else if (n == "row") {
            row_ = number(a.get("r"), row_ + 1);
            col_ = 0;
        } else if (n == "c") {
            if (const auto r = a.get("r")) std::tie(row_, col_) = cellRef(*r);
            else ++col_;
            if (row_ < 1 || row_ > kMaxRows || col_ < 1 || col_ > kMaxColumns) throw ReadFailure{"cel buiten het blad"};
            type_ = a.get("t").value_or("n");
            xf_ = number(a.get("s"));
            if (xf_ < 0 || (xf_ > 0 && static_cast<std::size_t>(xf_) >= styles_.xfStyle.size()))
                throw ReadFailure{"onbekende celopmaak"};
            inCell_ = true;
            hasValue_ = false;
            value_.clear();
        }
    }
    void end(std::string_view n) override {
        if (!inCell_) return;
        if (n == "v" || n == "t") inValue_ = false;
        else if (n == "rPh") phonetic_ = false;
        else if (n == "c") {
            inCell_ = false;
            storeCell();
        }
    }
    void text(std::string_view s) override {
        if (inValue_) value_ += s;
    }

private:
    void storeCell() {
        const auto xf = static_cast<std::size_t>(xf_);
        const std::uint16_t style = styles_.xfStyle.empty() ? 0 : styles_.xfStyle[xf];
        const bool isDate = !styles_.xfIsDate.empty() && styles_.xfIsDate[xf];
        Cell& cell = ws_.cell(row_, col_);
        cell.setStyle(style);
        if (!hasValue_) return;
        const std::string& v = value_;
        if (type_ == "s") {
            const long i = number(v, -1);
            if (i < 0 || static_cast<std::size_t>(i) >= shared_.size()) throw ReadFailure{"onbekende gedeelde tekst"};
            if (!shared_[static_cast<std::size_t>(i)].empty())
                cell.setString(book_.strings().intern(shared_[static_cast<std::size_t>(i)]));
        } else if (type_ == "str" || type_ == "inlineStr" || type_ == "e") {
            if (!v.empty()) cell.setString(book_.strings().intern(unescapeCellText(v)));
        } else if (type_ == "b") {
            cell.setBoolean(v == "1" || v == "true");
        } else if (type_ == "d") {
            const auto d = parseDate(v.substr(0, 10));
            if (!d) throw ReadFailure{"ongeldige datum '" + v + "'"};
            cell.setNumber(d->serial, CellKind::Date);
        } else {
            char* end = nullptr;
            const double d = std::strtod(v.c_str(), &end);
            if (*end || !std::isfinite(d)) throw ReadFailure{"ongeldig getal '" + v + "'"};
            if (isDate) cell.setNumber(runtimeSerial(d), CellKind::Date);
            else cell.setNumber(d);
        }
    }

    Worksheet& ws_;
    const Styles& styles_;
    const std::vector<std::string>& shared_;
    Workbook& book_;
    long row_ = 0, col_ = 0, xf_ = 0;
    std::string type_, value_;
    bool inCell_ = false, inValue_ = false, hasValue_ = false, phonetic_ = false;
};

class RelationsHandler : public XmlHandler {
public:
    std::map<std::string, std::string> targets;
    void start(std::string_view n, const XmlAttributes& a) override {
        if (n == "Relationship") targets[a.get("Id").value_or("")] = a.get("Target").value_or("");
    }
    void end(std::string_view) override {}
};

class WorkbookHandler : public XmlHandler {
public:
    explicit WorkbookHandler(const std::map<std::string, std::string>& rels) : rels_(rels) {}
    long activeTab = 0;
    std::vector<std::pair<std::string, std::string>> sheets;  // name, part

    void start(std::string_view n, const XmlAttributes& a) override {
        if (n == "workbookView") activeTab = number(a.get("activeTab"));
        if (n == "sheet") {
            const auto it = rels_.find(a.get("id").value_or(""));
            if (it == rels_.end()) throw ReadFailure{"blad zonder onderdeel"};
            sheets.emplace_back(a.get("name").value_or(""), partName(it->second));
        }
    }
    void end(std::string_view) override {}

private:
    const std::map<std::string, std::string>& rels_;
};

}  // namespace

std::shared_ptr<Workbook> readXlsx(ExcelApplication& app, const std::string& path, const std::string& bookName) {
    const auto failed = [&](const std::string& why) {
        return RuntimeError(1004, "Werkmap", "'" + path + "' kan niet worden gelezen: " + why);
    };
    try {
        const ZipPackage zip(path);
        auto book = std::make_shared<Workbook>(app, bookName);

        RelationsHandler rels;
        parsePart(zip, "xl/_rels/workbook.xml.rels", rels);
        SharedStringsHandler shared;
        if (zip.contains("xl/sharedStrings.xml")) parsePart(zip, "xl/sharedStrings.xml", shared);
        StylesHandler styles(book->styles());
        if (zip.contains("xl/styles.xml")) parsePart(zip, "xl/styles.xml", styles);
        WorkbookHandler workbook(rels.targets);
        parsePart(zip, "xl/workbook.xml", workbook);

        if (workbook.sheets.empty()) throw ReadFailure{"de werkmap heeft geen bladen"};
        for (const auto& [name, part] : workbook.sheets) {
            Worksheet& ws = book->addSheet(name);
            SheetHandler sheet(ws, styles.styles, shared.strings, *book);
            parsePart(zip, part, sheet);
        }
        const long activeTab = workbook.activeTab;
        if (activeTab > 0 && static_cast<std::size_t>(activeTab) < book->sheets().size())
            book->selectOnly(*book->sheets()[static_cast<std::size_t>(activeTab)]);
        return book;
    } catch (const ReadFailure& f) {
        throw failed(f.what());
    } catch (const ZipError& e) {
        throw failed(e.what());
    } catch (const XmlError& e) {
        throw failed(e.what());
    }
}

}  // namespace zelk
