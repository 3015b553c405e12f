#include "spreadsheet/xlsx_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/dates.h"
#include "spreadsheet/cell_format.h"
#include "spreadsheet/workbook.h"
#include "spreadsheet/zip_reader.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;

struct WriteFailure {
    std::string message;
    bool alreadyExists = false;
};

std::string systemError(int err) { return std::strerror(err); }

// The temporary file next to the target; removed unless committed.
class TempFile {
public:
    explicit TempFile(const fs::path& target) {
        std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        const int fd = ::mkstemp(buf.data());
        if (fd < 0) throw WriteFailure{"kan geen tijdelijk bestand maken in '" + target.parent_path().string() +
                                       "': " + systemError(errno)};
        // mkstemp makes the file private; the workbook gets the rights of the
        // file it replaces, or those a new file gets.
        struct stat old {};
        mode_t mode;
        if (::stat(target.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        (void)::fchmod(fd, mode);
        ::close(fd);
        path_ = buf.data();
    }
    ~TempFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::string path_;
};

struct WorkbookFree {
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};

void check(lxw_error err, const char* what) {
    if (err != LXW_NO_ERROR) throw WriteFailure{std::string(what) + ": " + lxw_strerror(err)};
}

// Dates of the runtime count from 30 December 1899; the file's serials count
// the same from 1 March 1900, and one less before (the file's calendar has a
// 29 February 1900). Before 1 January 1900 there is no date serial.
std::optional<double> fileSerial(double serial) {
    if (serial >= 61 || (serial >= 0 && serial < 1)) return serial;
    if (serial >= 2) return serial - 1;
    return std::nullopt;
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
        const auto& rows = ws.rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const auto& row = rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell& cell = row[c];
                const auto rr = static_cast<lxw_row_t>(r);
                const auto cc = static_cast<lxw_col_t>(c);
                lxw_error err = LXW_NO_ERROR;
                switch (cell.kind()) {
                case CellKind::Empty:
                    if (cell.style() != 0) err = worksheet_write_blank(sheet, rr, cc, format(cell.style()));
                    break;
                case CellKind::String:
                    // Always a string cell: a text that starts with "=" stays text.
                    err = worksheet_write_string(sheet, rr, cc, book_.strings().at(cell.stringId()).c_str(),
                                                 format(cell.style()));
                    break;
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
                        err = worksheet_write_string(sheet, rr, cc, ws.displayText(cell).c_str(), format(cell.style()));
                    }
                    break;
                }
                }
                if (err != LXW_NO_ERROR)
                    throw WriteFailure{"cel " + columnLetters(static_cast<long>(c) + 1) + std::to_string(r + 1) +
                                       " van blad '" + ws.Name() + "': " + lxw_strerror(err)};
                if (!cell.isEmpty() || cell.style() != 0) ++written;
            }
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
// package is read back: every member must unpack with the right checksum,
// and each sheet must be whole and hold every cell that was written.
void verifyPackage(const std::string& file, const std::vector<std::uint64_t>& cellCounts) {
    try {
        const ZipReader zip(file);
        if (!zip.contains("[Content_Types].xml") || !zip.contains("xl/workbook.xml"))
            throw WriteFailure{"het geschreven bestand is onvolledig"};
        for (const std::string& name : zip.names()) {
            if (name.rfind("xl/worksheets/sheet", 0) == 0) continue;
            zip.scan(name, [](std::string_view) {});
        }
        for (std::size_t i = 0; i < cellCounts.size(); ++i) {
            const std::string part = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
            std::uint64_t cells = 0;
            std::string tail;  // the stream's last bytes: matches across pieces, and the end tag
            zip.scan(part, [&](std::string_view piece) {
                const std::string edge = tail.substr(tail.size() > 2 ? tail.size() - 2 : 0);
                const std::string across = edge + std::string(piece.substr(0, 2));
                for (std::size_t k = 0; k < edge.size() && k + 3 <= across.size(); ++k)
                    if (across.compare(k, 3, "<c ") == 0) ++cells;
                for (std::size_t k = piece.find("<c "); k != std::string_view::npos; k = piece.find("<c ", k + 1))
                    ++cells;
                if (piece.size() >= 16) {
                    tail.assign(piece.substr(piece.size() - 16));
                } else {
                    tail.append(piece);
                    if (tail.size() > 16) tail.erase(0, tail.size() - 16);
                }
            });
            while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) tail.pop_back();
            if (!tail.ends_with("</worksheet>") || cells != cellCounts[i])
                throw WriteFailure{"blad " + std::to_string(i + 1) + " is onvolledig weggeschreven"};
        }
    } catch (const ZipError& e) {
        throw WriteFailure{std::string("het geschreven bestand is onvolledig: ") + e.what()};
    }
}

void syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) throw WriteFailure{"kan '" + path + "' niet openen: " + systemError(errno)};
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) throw WriteFailure{"wegschrijven naar schijf mislukt: " + systemError(err)};
}

void syncDirectory(const fs::path& dir) {
    // Best effort: makes the new name durable; not every file system allows it.
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
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

        TempFile temp(full);
        XlsxWriter writer(book, temp.path(), dir.string());
        writer.write();
        verifyPackage(temp.path(), writer.cellCounts());
        syncFile(temp.path());

        if (replace) {
            if (::rename(temp.path().c_str(), full.c_str()) != 0)
                throw WriteFailure{"kan '" + full.string() + "' niet vervangen: " + systemError(errno)};
        } else {
            // link() refuses an existing name, so a file made meanwhile is never overwritten.
            if (::link(temp.path().c_str(), full.c_str()) != 0) {
                const int err = errno;
                throw WriteFailure{"kan '" + full.string() + "' niet aanmaken: " + systemError(err), err == EEXIST};
            }
            ::unlink(temp.path().c_str());
        }
        temp.release();
        syncDirectory(dir);
        book.setSaved(full.string(), full.filename().string());
        return {};
    } catch (const WriteFailure& f) {
        return {f.message, f.alreadyExists};
    } catch (const fs::filesystem_error& e) {
        return {e.what()};
    } catch (const std::bad_alloc&) {
        return {"onvoldoende geheugen"};
    }
}

}  // namespace

SaveResult saveAs(Workbook& book, const fs::path& path) { return save(book, path, true); }

SaveResult saveAsNew(Workbook& book, const fs::path& path) { return save(book, path, false); }

}  // namespace zelk
