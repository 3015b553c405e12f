#include "spreadsheet/xlsx_writer.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "os/folders.h"
#include "os/system_reason.h"
#include "platform/platform.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"
#include "spreadsheet/cell_format.h"
#include "spreadsheet/cell_text.h"
#include "spreadsheet/excel_application.h"
#include "spreadsheet/sheet_part_scan.h"
#include "spreadsheet/temp_workbook_file.h"
#include "spreadsheet/workbook.h"
#include "spreadsheet/xml_parser.h"
#include "spreadsheet/zip_package.h"

namespace zelk {

namespace fs = std::filesystem;

WriteFailure::WriteFailure(const std::string& message, bool exists)
    : std::runtime_error(message), alreadyExists(exists) {}

namespace {

struct WorkbookFree {
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};

// The writer's own texts are English.
std::string writerReason(lxw_error err) {
    switch (err) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return "onvoldoende geheugen";
    case LXW_ERROR_CREATING_XLSX_FILE: return "het bestand kan niet worden aangemaakt";
    case LXW_ERROR_CREATING_TMPFILE: return "er kan geen tijdelijk bestand worden gemaakt";
    case LXW_ERROR_READING_TMPFILE: return "een tijdelijk bestand kan niet worden gelezen";
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE: return "het inpakken van de werkmap is mislukt (is de schijf vol?)";
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR: return "het inpakken van de werkmap is mislukt";
    case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
    case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
    case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
    case LXW_ERROR_SHEETNAME_ALREADY_USED: return "ongeldige bladnaam";
    case LXW_ERROR_32_STRING_LENGTH_EXCEEDED:
    case LXW_ERROR_128_STRING_LENGTH_EXCEEDED:
    case LXW_ERROR_255_STRING_LENGTH_EXCEEDED:
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return "tekst te lang";
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE: return "buiten het blad";
    default: return "fout " + std::to_string(static_cast<int>(err)) + " van de schrijver";
    }
}

void check(lxw_error err, const char* what) {
    if (err != LXW_NO_ERROR) throw WriteFailure{std::string(what) + ": " + writerReason(err)};
}

// Dates of the runtime count from 30 December 1899; the file's serials count
// the same from 1 March 1900, and one less before (the file's calendar has a
// 29 February 1900). Before 1 January 1900 there is no date serial.
std::optional<double> fileSerial(double serial) {
    if (serial >= 61 || (serial >= 0 && serial < 1)) return serial;
    if (serial >= 2) return serial - 1;
    return std::nullopt;
}

// A local date and time of the runtime as seconds since 1970 (UTC).
std::time_t unixTime(Date local) {
    const DateParts p = splitDate(local);
    std::tm tm{};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // 0 would make the writer take the system's clock.
    return t > 0 ? t : 1;
}

class XlsxWriter {
public:
    XlsxWriter(const Workbook& book, const std::string& file, const std::string& tmpdir) : book_(book) {
        tmpdir_ = tmpdir;
        lxw_workbook_options options{};
        // Rows go out as they are written: memory stays flat for any number of rows.
        options.constant_memory = LXW_TRUE;
        options.tmpdir = tmpdir_.data();
        wb_.reset(workbook_new_opt(file.c_str(), &options));
        if (!wb_) throw WriteFailure{"libxlsxwriter kan de werkmap niet aanmaken"};
        // Created and modified come from the run's clock, so a run with a
        // fixed clock gives the same bytes again.
        lxw_doc_properties properties{};
        properties.created = unixTime(book.Application().platform().now());
        check(workbook_set_properties(wb_.get(), &properties), "documenteigenschappen");
        formats_.assign(book.styles().size(), nullptr);
        dateFormats_.assign(book.styles().size(), nullptr);
    }

    void write() {
        const auto& sheets = book_.sheets();
        for (const auto& ws : sheets) writeSheet(*ws);
        lxw_workbook* wb = wb_.release();
        check(workbook_close(wb), "schrijven mislukt");
    }

    // Cells written per sheet, in order.
    const std::vector<std::uint64_t>& cellCounts() const { return cellCounts_; }

private:
    lxw_format* makeFormat(const CellStyle& s, const std::string& code) {
        lxw_format* f = workbook_add_format(wb_.get());
        if (!f) throw WriteFailure{"geen geheugen voor een celopmaak"};
        if (s.bold) format_set_bold(f);
        if (!code.empty()) format_set_num_format(f, code.c_str());
        return f;
    }

    lxw_format* format(std::uint16_t style) {
        if (style == 0) return nullptr;
        if (!formats_[style]) {
            const CellStyle& s = book_.styles().at(style);
            formats_[style] = makeFormat(s, book_.styles().format(s.numberFormat));
        }
        return formats_[style];
    }

    // A date whose cell lost its format still shows as a date.
    lxw_format* dateFormat(std::uint16_t style, double serial) {
        const CellStyle& s = book_.styles().at(style);
        if (s.numberFormat != 0) return format(style);
        if (!dateFormats_[style]) dateFormats_[style] = makeFormat(s, defaultDateFormatFor(serial));
        return dateFormats_[style];
    }

    void writeSheet(const Worksheet& ws) {
        lxw_worksheet* sheet = workbook_add_worksheet(wb_.get(), ws.Name().c_str());
        if (!sheet) throw WriteFailure{"blad '" + ws.Name() + "' kan niet worden aangemaakt"};
        writeColumns(ws, sheet);

        std::uint64_t written = 0;
        const auto writeRow = [&](long rowNumber, const std::vector<Cell>& row, const StringPool& strings) {
            const auto r = static_cast<std::size_t>(rowNumber - 1);
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell& cell = row[c];
                const auto rr = static_cast<lxw_row_t>(r);
                const auto cc = static_cast<lxw_col_t>(c);
                lxw_error err = LXW_NO_ERROR;
                switch (cell.kind()) {
                case CellKind::Empty:
                    if (cell.style() != 0) err = worksheet_write_blank(sheet, rr, cc, format(cell.style()));
                    break;
                case CellKind::String: {
                    // Always a string cell: a text that starts with "=" stays text.
                    const std::string& text = strings.at(cell.stringId());
                    err = worksheet_write_string(sheet, rr, cc,
                                                 needsCellEscape(text) ? escapeCellText(text).c_str() : text.c_str(),
                                                 format(cell.style()));
                    break;
                }
                case CellKind::Number:
                case CellKind::Currency:
                    err = worksheet_write_number(sheet, rr, cc, cell.number(), format(cell.style()));
                    break;
                case CellKind::Boolean:
                    err = worksheet_write_boolean(sheet, rr, cc, cell.boolean() ? 1 : 0, format(cell.style()));
                    break;
                case CellKind::Date: {
                    const double serial = cell.number();
                    if (auto s = fileSerial(serial)) {
                        err = worksheet_write_number(sheet, rr, cc, *s, dateFormat(cell.style(), serial));
                    } else {
                        // Before the file's first day: keep what the user would see, as text.
                        err = worksheet_write_string(
                            sheet, rr, cc, escapeCellText(ws.displayText(cell, strings)).c_str(), format(cell.style()));
                    }
                    break;
                }
                }
                if (err != LXW_NO_ERROR)
                    throw WriteFailure{"cel " + columnLetters(static_cast<long>(c) + 1) + std::to_string(r + 1) +
                                       " van blad '" + ws.Name() + "': " + writerReason(err)};
                if (!cell.isEmpty() || cell.style() != 0) ++written;
            }
        };
        try {
            ws.forEachRow(writeRow);
        } catch (const RuntimeError& e) {
            // The rows kept on disk could not be read back.
            throw WriteFailure{"blad '" + ws.Name() + "': " + e.description()};
        }
        cellCounts_.push_back(written);

        const Area& sel = ws.selection();
        if (!sel.wholeColumns() && !sel.wholeRows())
            worksheet_set_selection(sheet, static_cast<lxw_row_t>(sel.row1 - 1), static_cast<lxw_col_t>(sel.col1 - 1),
                                    static_cast<lxw_row_t>(sel.row2 - 1), static_cast<lxw_col_t>(sel.col2 - 1));
        const Workbook& book = ws.Parent();
        for (const Worksheet* s : book.selectedSheets())
            if (s == &ws) worksheet_select(sheet);
        if (book.activeSheet() == &ws) worksheet_activate(sheet);
    }

    void writeColumns(const Worksheet& ws, lxw_worksheet* sheet) {
        const auto& cols = ws.columns();
        for (std::size_t c = 0; c < cols.size(); ++c) {
            const ColumnInfo& info = cols[c];
            if (info.width < 0 && info.style == 0) continue;
            lxw_row_col_options options{};
            double width = info.width < 0 ? LXW_DEF_COL_WIDTH : info.width;
            // Width 0 hides the column, as in the application.
            if (width == 0) options.hidden = 1;
            const auto cc = static_cast<lxw_col_t>(c);
            check(worksheet_set_column_opt(sheet, cc, cc, width, format(info.style), &options), "kolombreedte");
        }
    }

    const Workbook& book_;
    std::string tmpdir_;
    std::unique_ptr<lxw_workbook, WorkbookFree> wb_;
    std::vector<lxw_format*> formats_;
    std::vector<lxw_format*> dateFormats_;
    std::vector<std::uint64_t> cellCounts_;
};

// libxlsxwriter does not notice every failed write of its own temporary
// files (a full disk gives a package whose sheets are cut short), so the
// package is read back before it counts as saved: every member against its
// CRC, the small parts parsed, the sheet parts scanned (SheetPartScan).
class PartCheck : public XmlHandler {
public:
    void start(std::string_view, const XmlAttributes&) override {}
    void end(std::string_view) override {}
    bool wantsText() const override { return false; }
};

// N of a part "xl/worksheets/sheetN.xml"; 0 for any other part.
std::size_t sheetNumber(std::string_view name) {
    constexpr std::string_view prefix = "xl/worksheets/sheet", suffix = ".xml";
    if (!name.starts_with(prefix) || !name.ends_with(suffix)) return 0;
    const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 6 || digits.front() == '0') return 0;
    std::size_t n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    return n;
}

}  // namespace

void verifyPackage(const std::string& file, const std::vector<std::uint64_t>& cellCounts) {
    try {
        const ZipPackage zip(file);
        if (!zip.contains("[Content_Types].xml") || !zip.contains("xl/workbook.xml"))
            throw WriteFailure{"het geschreven bestand is onvolledig"};
        for (const std::string& name : zip.names()) {
            if (const std::size_t sheet = sheetNumber(name)) {
                SheetPartScan scan;
                zip.scan(name, [&](std::string_view piece) { scan.feed(piece); });
                if (!scan.characters())
                    throw WriteFailure{"het geschreven bestand is onleesbaar: blad " + std::to_string(sheet)};
                if (!scan.complete() || (sheet <= cellCounts.size() && scan.cells() != cellCounts[sheet - 1]))
                    throw WriteFailure{"blad " + std::to_string(sheet) + " is onvolledig weggeschreven"};
                continue;
            }
            const bool xml = name.ends_with(".xml") || name.ends_with(".rels");
            if (!xml) {
                zip.scan(name, [](std::string_view) {});  // the CRC only
                continue;
            }
            PartCheck check;
            XmlParser parser(check);
            zip.scan(name, [&](std::string_view piece) { parser.feed(piece); });
            parser.finish();
        }
        for (std::size_t i = 0; i < cellCounts.size(); ++i)
            if (!zip.contains("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml"))
                throw WriteFailure{"blad " + std::to_string(i + 1) + " ontbreekt"};
    } catch (const ZipError& e) {
        throw WriteFailure{std::string("het geschreven bestand is onvolledig: ") + e.what()};
    } catch (const XmlError& e) {
        throw WriteFailure{std::string("het geschreven bestand is onleesbaar: ") + e.what()};
    }
}

namespace {

void syncDirectory(const fs::path& dir) {
    // Best effort: makes the new name durable; not every file system allows it.
    os::syncFolder(dir);
}

SaveResult save(Workbook& book, const fs::path& target, bool replace) {
    try {
        if (book.sheets().empty()) throw WriteFailure{"de werkmap heeft geen bladen"};
        const fs::path full = fs::absolute(target);
        const fs::path dir = full.parent_path();
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) throw WriteFailure{"de map '" + dir.string() + "' bestaat niet"};
        if (fs::is_directory(full, ec)) throw WriteFailure{"'" + full.string() + "' is een map"};
        if (!replace && fs::exists(full, ec)) throw WriteFailure{"'" + full.string() + "' bestaat al", true};

        removeStaleTempWorkbooks(dir);
        TempWorkbookFile temp(full);
        // The writer's own scratch files are named for an instant before
        // they are unlinked; a signal in that instant must not leave one
        // beside the user's workbooks, so they go to the temporary folder.
        XlsxWriter writer(book, temp.path(), os::temporaryFolder().string());
        writer.write();
        verifyPackage(temp.path(), writer.cellCounts());
        temp.sync();
        temp.commit(full, replace);
        syncDirectory(dir);
        book.setSaved(full.string(), full.filename().string());
        return {};
    } catch (const WriteFailure& f) {
        return {f.what(), f.alreadyExists};
    } catch (const std::system_error& e) {
        return {os::describe(e), e.code() == std::errc::file_exists};
    } catch (const std::bad_alloc&) {
        return {"onvoldoende geheugen"};
    }
}

}  // namespace

SaveResult saveAs(Workbook& book, const fs::path& path) { return save(book, path, true); }

SaveResult saveAsNew(Workbook& book, const fs::path& path) { return save(book, path, false); }

}  // namespace zelk
