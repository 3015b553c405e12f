#include "spreadsheet/xlsx_reader.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/cell_format.h"
#include "spreadsheet/xml_reader.h"
#include "spreadsheet/zip_reader.h"

namespace zelk {
namespace {

using Token = XmlReader::Token;

struct ReadFailure {
    std::string message;
};

// Number formats every workbook has without listing them.
std::string builtinFormat(long id) {
    static const std::map<long, std::string> formats = {
        {1, "0"},          {2, "0.00"},          {3, "#,##0"},        {4, "#,##0.00"},      {9, "0%"},
        {10, "0.00%"},     {11, "0.00E+00"},     {14, "d-m-yyyy"},    {15, "d-mmm-yy"},     {16, "d-mmm"},
        {17, "mmm-yy"},    {18, "h:mm AM/PM"},   {19, "h:mm:ss AM/PM"}, {20, "h:mm"},       {21, "h:mm:ss"},
        {22, "d-m-yyyy h:mm"}, {37, "#,##0 ;(#,##0)"}, {38, "#,##0 ;[Red](#,##0)"}, {39, "#,##0.00;(#,##0.00)"},
        {40, "#,##0.00;[Red](#,##0.00)"}, {45, "mm:ss"}, {46, "[h]:mm:ss"}, {47, "mm:ss.0"}, {48, "##0.0E+0"},
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

Styles readStyles(const std::string& xml, StyleTable& table) {
    std::map<long, std::string> custom;
    std::vector<bool> fontBold;
    Styles out;
    XmlReader x(xml);
    std::string section;
    bool inFont = false;
    for (Token t; (t = x.next()) != Token::Eof;) {
        if (t == Token::End) {
            if (x.name() == "font") inFont = false;
            if (x.name() == "cellXfs" || x.name() == "fonts" || x.name() == "numFmts") section.clear();
            continue;
        }
        if (t != Token::Start) continue;
        const std::string& n = x.name();
        if (n == "numFmts" || n == "fonts" || n == "cellXfs" || n == "cellStyleXfs") section = n;
        else if (n == "numFmt") custom[number(x.attr("numFmtId"))] = x.attr("formatCode").value_or("");
        else if (n == "font" && section == "fonts") {
            fontBold.push_back(false);
            inFont = true;
        } else if (n == "b" && inFont && !fontBold.empty()) {
            const auto v = x.attr("val");
            fontBold.back() = !v || (*v != "0" && *v != "false");
        } else if (n == "xf" && section == "cellXfs") {
            const long fmtId = number(x.attr("numFmtId"));
            const long fontId = number(x.attr("fontId"));
            std::string code = custom.count(fmtId) ? custom[fmtId] : builtinFormat(fmtId);
            CellStyle s;
            s.bold = fontId >= 0 && static_cast<std::size_t>(fontId) < fontBold.size() && fontBold[fontId];
            s.numberFormat = table.formatId(code);
            out.xfStyle.push_back(table.intern(s));
            out.xfIsDate.push_back(isDateFormat(code));
        }
    }
    return out;
}

std::vector<std::string> readSharedStrings(const std::string& xml) {
    std::vector<std::string> out;
    XmlReader x(xml);
    int depthInSi = 0;
    bool phonetic = false;
    for (Token t; (t = x.next()) != Token::Eof;) {
        if (t == Token::Start) {
            if (x.name() == "si") {
                out.emplace_back();
                depthInSi = 1;
            } else if (depthInSi) {
                if (x.name() == "rPh") phonetic = true;
                else if (x.name() == "t" && !phonetic) out.back() += x.elementText();
            }
        } else if (t == Token::End) {
            if (x.name() == "si") depthInSi = 0;
            if (x.name() == "rPh") phonetic = false;
        }
    }
    return out;
}

// "CN5" -> (5, 92).
std::pair<long, long> cellRef(const std::string& r) {
    const auto a = parseCell(r);
    if (!a) throw ReadFailure{"ongeldige celverwijzing '" + r + "'"};
    return {a->row1, a->col1};
}

void readSheet(const std::string& xml, Worksheet& ws, const Styles& styles, const std::vector<std::string>& shared,
               Workbook& book) {
    XmlReader x(xml);
    long row = 0, col = 0;
    for (Token t; (t = x.next()) != Token::Eof;) {
        if (t != Token::Start) continue;
        const std::string& n = x.name();
        if (n == "col") {
            const long min = number(x.attr("min")), max = number(x.attr("max"));
            if (min < 1 || max < min || max > kMaxColumns) throw ReadFailure{"ongeldige kolom"};
            const auto hidden = x.attr("hidden");
            if (hidden && (*hidden == "1" || *hidden == "true")) ws.setColumnWidth(min, max, 0);
            else if (const auto w = x.attr("width")) ws.setColumnWidth(min, max, characters(std::atof(w->c_str())));
        } else if (n == "row") {
            row = number(x.attr("r"), row + 1);
            col = 0;
        } else if (n == "c") {
            if (const auto r = x.attr("r")) std::tie(row, col) = cellRef(*r);
            else ++col;
            if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns) throw ReadFailure{"cel buiten het blad"};
            const std::string type = x.attr("t").value_or("n");
            const long xf = number(x.attr("s"));
            if (xf < 0 || (xf > 0 && static_cast<std::size_t>(xf) >= styles.xfStyle.size()))
                throw ReadFailure{"onbekende celopmaak"};
            const std::uint16_t style = styles.xfStyle.empty() ? 0 : styles.xfStyle[static_cast<std::size_t>(xf)];
            const bool isDate = !styles.xfIsDate.empty() && styles.xfIsDate[static_cast<std::size_t>(xf)];
            // The value: <v> or, for inline text, <is><t>.
            std::string v;
            bool hasValue = false;
            for (int depth = 1; depth > 0;) {
                const Token u = x.next();
                if (u == Token::Eof) throw ReadFailure{"onverwacht einde van een blad"};
                if (u == Token::End) {
                    --depth;
                } else if (u == Token::Start) {
                    if (x.name() == "v" || x.name() == "t") {
                        v += x.elementText();
                        hasValue = true;
                    } else if (x.name() != "is" && x.name() != "r") {
                        x.elementText();  // formulas and the like
                    } else {
                        ++depth;
                    }
                }
            }
            Cell& cell = ws.cell(row, col);
            cell.setStyle(style);
            if (!hasValue) continue;
            if (type == "s") {
                const long i = number(v, -1);
                if (i < 0 || static_cast<std::size_t>(i) >= shared.size()) throw ReadFailure{"onbekende gedeelde tekst"};
                if (!shared[static_cast<std::size_t>(i)].empty())
                    cell.setString(book.strings().intern(shared[static_cast<std::size_t>(i)]));
            } else if (type == "str" || type == "inlineStr" || type == "e") {
                if (!v.empty()) cell.setString(book.strings().intern(v));
            } else if (type == "b") {
                cell.setBoolean(v == "1" || v == "true");
            } else if (type == "d") {
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
    }
}

}  // namespace

std::shared_ptr<Workbook> readXlsx(ExcelApplication& app, const std::string& path, const std::string& bookName) {
    try {
        const ZipReader zip(path);
        auto book = std::make_shared<Workbook>(app, bookName);

        std::map<std::string, std::string> rels;
        {
            const std::string xml = zip.read("xl/_rels/workbook.xml.rels");  // the reader only views it
            XmlReader x(xml);
            for (Token t; (t = x.next()) != Token::Eof;)
                if (t == Token::Start && x.name() == "Relationship")
                    rels[x.attr("Id").value_or("")] = x.attr("Target").value_or("");
        }
        std::vector<std::string> shared;
        if (zip.contains("xl/sharedStrings.xml")) shared = readSharedStrings(zip.read("xl/sharedStrings.xml"));
        Styles styles;
        if (zip.contains("xl/styles.xml")) styles = readStyles(zip.read("xl/styles.xml"), book->styles());

        long activeTab = 0;
        std::vector<std::pair<std::string, std::string>> sheets;  // name, part
        {
            const std::string xml = zip.read("xl/workbook.xml");
            XmlReader x(xml);
            for (Token t; (t = x.next()) != Token::Eof;) {
                if (t != Token::Start) continue;
                if (x.name() == "workbookView") activeTab = number(x.attr("activeTab"));
                if (x.name() == "sheet") {
                    const auto it = rels.find(x.attr("id").value_or(""));
                    if (it == rels.end()) throw ReadFailure{"blad zonder onderdeel"};
                    sheets.emplace_back(x.attr("name").value_or(""), partName(it->second));
                }
            }
        }
        if (sheets.empty()) throw ReadFailure{"de werkmap heeft geen bladen"};
        for (const auto& [name, part] : sheets) {
            Worksheet& ws = book->addSheet(name);
            readSheet(zip.read(part), ws, styles, shared, *book);
        }
        if (activeTab > 0 && static_cast<std::size_t>(activeTab) < book->sheets().size())
            book->selectOnly(*book->sheets()[static_cast<std::size_t>(activeTab)]);
        return book;
    } catch (const ReadFailure& f) {
        throw RuntimeError(1004, "Werkmap", "'" + path + "' kan niet worden gelezen: " + f.message);
    } catch (const ZipError& e) {
        throw RuntimeError(1004, "Werkmap", "'" + path + "' kan niet worden gelezen: " + e.what());
    } catch (const XmlError& e) {
        throw RuntimeError(1004, "Werkmap", "'" + path + "' kan niet worden gelezen: " + e.what());
    }
}

}  // namespace zelk
