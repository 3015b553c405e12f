#include "database/access/access_import.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "database/access/access_header.h"
#include "database/access/access_queries.h"
#include "database/access/access_reader.h"
#include "database/access/sqlite_writer.h"
#include "os/child_process.h"
#include "os/file_access.h"
#include "os/narrow_name.h"

namespace zelk {

namespace access {
namespace {

const char* const kUnknownFormat = "Onbekende database-indeling";

AccessImportResult failure(long number, std::string description) {
    AccessImportResult r;
    r.errorNumber = number;
    r.description = std::move(description);
    return r;
}

constexpr long kDamaged = 3049;

// The number and wording of a damaged SQLite file, with the table where the
// damage was found when it is known.
AccessImportResult damagedFile(const std::string& path, const std::string& table) {
    return failure(kDamaged, "Database '" + path + "' is beschadigd" +
                                 (table.empty() ? "" : " (tabel '" + table + "')") +
                                 " en kan niet worden gebruikt. Herstel het bestand of gebruik een reservekopie.");
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// ---- the child's report: number, description, notes, length-prefixed

void putString(std::string& out, const std::string& s) {
    const auto size = static_cast<std::uint32_t>(s.size());
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out += s;
}

bool getString(const std::string& in, std::size_t& pos, std::string& s) {
    std::uint32_t size = 0;
    if (in.size() - pos < sizeof size) return false;
    std::memcpy(&size, in.data() + pos, sizeof size);
    pos += sizeof size;
    if (in.size() - pos < size) return false;
    s = in.substr(pos, size);
    pos += size;
    return true;
}

std::string encode(const AccessImportResult& r) {
    std::string out;
    putString(out, std::to_string(r.errorNumber));
    putString(out, r.description);
    putString(out, std::to_string(r.notes.size()));
    for (const std::string& note : r.notes) putString(out, note);
    return out;
}

std::optional<AccessImportResult> decode(const std::string& in) {
    AccessImportResult r;
    std::size_t pos = 0;
    std::string number, count;
    if (!getString(in, pos, number) || !getString(in, pos, r.description) || !getString(in, pos, count))
        return std::nullopt;
    try {
        r.errorNumber = std::stol(number);
        const unsigned long n = std::stoul(count);
        for (unsigned long i = 0; i < n; ++i) {
            std::string note;
            if (!getString(in, pos, note)) return std::nullopt;
            r.notes.push_back(std::move(note));
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (pos != in.size()) return std::nullopt;
    return r;
}

// ---- the copy itself, run in the child

std::optional<std::int64_t> integerOf(const FieldValue& v) {
    if (const auto* n = std::get_if<std::int64_t>(&v)) return *n;
    return std::nullopt;
}

std::string textOf(const FieldValue& v) {
    if (const auto* t = std::get_if<std::string>(&v)) return *t;
    if (const auto* b = std::get_if<Blob>(&v)) return std::string(b->begin(), b->end());
    return {};
}

class Copier {
public:
    Copier(AccessFile& file, SqliteWriter& db, const std::function<void()>& alive, std::vector<std::string>& notes)
        : file_(file), db_(db), alive_(alive), notes_(notes) {}

    void run() {
        struct Source {
            std::string name;
            std::unique_ptr<AccessTable> table;
        };
        std::vector<Source> sources;
        std::set<std::string> taken;  // tables, views and indexes share SQLite's name space
        for (const CatalogObject& object : file_.objects()) {
            if (object.kind == ObjectKind::Table || object.kind == ObjectKind::Query) taken.insert(lower(object.name));
            if (object.kind == ObjectKind::LinkedTable)
                notes_.push_back("Gekoppelde tabel '" + object.name +
                                 "' is niet overgenomen: de gegevens staan in een ander bestand.");
            if (object.kind != ObjectKind::Table) continue;
            auto table = file_.openTable(object.name);
            if (!table) {
                notes_.push_back("Tabel '" + object.name + "' is niet overgenomen: de tabeldefinitie is onleesbaar.");
                continue;
            }
            sources.push_back({object.name, std::move(table)});
            alive_();
        }

        db_.exec("BEGIN");
        std::vector<const Source*> copied;
        for (const Source& source : sources)
            if (copyTable(source.name, *source.table)) copied.push_back(&source);

        std::map<std::string, int> uses;
        for (const Source* source : copied)
            for (const IndexInfo& index : source->table->indexes()) ++uses[lower(index.name)];
        for (const Source* source : copied) {
            int number = 0;
            for (const IndexInfo& index : source->table->indexes()) {
                std::string name = index.name;
                ++number;
                if (name.empty()) name = source->name + "_index" + std::to_string(number);
                else if (uses[lower(name)] > 1 || taken.count(lower(name))) name = source->name + "_" + index.name;
                for (int n = 2; taken.count(lower(name)); ++n)
                    name = source->name + "_" + index.name + "_" + std::to_string(n);
                taken.insert(lower(name));
                createIndex(source->name, name, index);
                alive_();
            }
        }
        db_.exec("COMMIT");
        copyQueries();
        db_.exec("PRAGMA analysis_limit=1000");
        db_.exec("ANALYZE");
    }

private:
    bool copyTable(const std::string& name, AccessTable& table) {
        std::string sql = "CREATE TABLE " + quoteIdentifier(name) + " (";
        bool first = true;
        for (const ColumnInfo& column : table.columns()) {
            sql += (first ? "" : ", ") + quoteIdentifier(column.name) + " " + declaredType(column.kind);
            first = false;
        }
        sql += ")";
        std::string error;
        if (table.columns().empty() || !db_.tryExec(sql, error)) {
            if (table.columns().empty()) error = "de tabel heeft geen kolommen";
            notes_.push_back("Tabel '" + name + "' is niet overgenomen: " + error + ".");
            return false;
        }
        SqliteWriter::Inserter inserter(db_, name, table.columns().size());
        table.readRows([&](const std::vector<FieldValue>& row) { inserter.insert(row); }, alive_);
        return true;
    }

    void createIndex(const std::string& table, const std::string& name, const IndexInfo& index) {
        std::string keys;
        for (const auto& [column, descending] : index.keys)
            keys += (keys.empty() ? "" : ", ") + quoteIdentifier(column) + (descending ? " DESC" : "");
        const std::string rest = "INDEX " + quoteIdentifier(name) + " ON " + quoteIdentifier(table) + " (" + keys + ")";
        std::string error;
        if (index.unique) {
            if (db_.tryExec("CREATE UNIQUE " + rest, error)) return;
            // Jet's idea of equal texts is not SQLite's in every case; keep
            // the order of the index even when SQLite finds duplicates.
            if (db_.tryExec("CREATE " + rest, error)) {
                notes_.push_back("Index '" + index.name + "' van tabel '" + table +
                                 "' is zonder uniciteit overgenomen: " + error + ".");
                return;
            }
        } else if (db_.tryExec("CREATE " + rest, error)) {
            return;
        }
        notes_.push_back("Index '" + index.name + "' van tabel '" + table + "' is niet overgenomen: " + error + ".");
    }

    void copyQueries() {
        std::vector<const CatalogObject*> queries;
        for (const CatalogObject& object : file_.objects())
            if (object.kind == ObjectKind::Query && !object.name.empty() && object.name[0] != '~')
                queries.push_back(&object);  // "~sq_..." are the record sources of forms and reports
        if (queries.empty()) return;

        std::map<std::uint32_t, std::vector<QueryRow>> definitions;
        const bool readable = readQueryDefinitions(definitions);
        std::vector<std::string> views;
        for (const CatalogObject* query : queries) {
            QuerySql built;
            if (!readable) built.problem = "de querydefinities zijn onleesbaar";
            else built = buildSelectQuery(definitions[query->id]);
            std::string error;
            if (built.problem.empty() &&
                !db_.tryExec("CREATE VIEW " + quoteIdentifier(query->name) + " AS " + built.sql, error))
                built.problem = "SQLite accepteert de tekst niet: " + error;
            if (!built.problem.empty()) {
                notes_.push_back("Query '" + query->name + "' is niet overgenomen: " + built.problem + ".");
                continue;
            }
            views.push_back(query->name);
        }
        // A view may fail only when it is used (unknown columns, functions or
        // other views); drop those until every remaining view prepares.
        for (bool dropped = true; dropped;) {
            dropped = false;
            for (auto it = views.begin(); it != views.end();) {
                std::string error;
                if (db_.viewWorks(*it, error)) {
                    ++it;
                    continue;
                }
                db_.exec("DROP VIEW " + quoteIdentifier(*it));
                notes_.push_back("Query '" + *it + "' is niet overgenomen: SQLite accepteert de tekst niet: " + error +
                                 ".");
                it = views.erase(it);
                dropped = true;
            }
        }
    }

    bool readQueryDefinitions(std::map<std::uint32_t, std::vector<QueryRow>>& out) {
        auto table = file_.openTable("MSysQueries");
        if (!table) return false;
        std::map<std::string, std::size_t> at;
        for (std::size_t i = 0; i < table->columns().size(); ++i) at[lower(table->columns()[i].name)] = i;
        for (const char* needed : {"objectid", "attribute", "flag", "name1", "name2", "expression", "order"})
            if (!at.count(needed)) return false;
        table->readRows(
            [&](const std::vector<FieldValue>& v) {
                const auto id = integerOf(v[at["objectid"]]);
                const auto attribute = integerOf(v[at["attribute"]]);
                if (!id || !attribute) return;
                QueryRow row;
                row.attribute = static_cast<int>(*attribute);
                if (auto flag = integerOf(v[at["flag"]])) row.flag = static_cast<long>(*flag);
                row.name1 = textOf(v[at["name1"]]);
                row.name2 = textOf(v[at["name2"]]);
                row.expression = textOf(v[at["expression"]]);
                row.order = textOf(v[at["order"]]);
                out[static_cast<std::uint32_t>(*id) & 0xFFFFFFu].push_back(std::move(row));
            },
            alive_);
        return true;
    }

    AccessFile& file_;
    SqliteWriter& db_;
    const std::function<void()>& alive_;
    std::vector<std::string>& notes_;
};

AccessImportResult copyInChild(const std::string& accessPath, const std::string& sqlitePath,
                               const std::function<void()>& alive) {
    AccessImportResult result;
    try {
        auto file = AccessFile::open(accessPath);
        if (!file) return failure(3343, kUnknownFormat);
        SqliteWriter db(sqlitePath);
        db.onProgress(alive);
        Copier(*file, db, alive, result.notes).run();
    } catch (const CopyError& e) {
        return failure(e.number, e.what());
    } catch (const DamagedTable& e) {
        // Only the table: the child may know the file by another name than the user.
        return failure(kDamaged, e.table());
    }
    return result;
}

// The child's job: the argument is the two paths, separated by a NUL.
std::string copyJob(const std::string& argument, const std::function<void()>& alive) {
    const std::size_t split = argument.find('\0');
    if (split == std::string::npos) return encode(failure(3343, kUnknownFormat));
    return encode(copyInChild(argument.substr(0, split), argument.substr(split + 1), alive));
}

const os::IsolatedJobName kCopyJob("access-copy", copyJob);

void removeOutput(const std::string& sqlitePath) {
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::filesystem::remove(sqlitePath + suffix, ignored);
}

}  // namespace
}  // namespace access

os::ChildLimits readerLimits(std::uint64_t fileBytes) {
    // A sound file needs a fraction of this; a damaged one that makes libmdb
    // run away is stopped long before the machine feels it.
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    const std::uint64_t size = std::min<std::uint64_t>(fileBytes, std::uint64_t{1} << 40);
    os::ChildLimits limits;
    limits.extraAddressSpace = 64 * kMiB + 20 * size;
    limits.maxFileBytes = 16 * kMiB + 10 * size;
    limits.maxReportBytes = 4 * kMiB + size;
    return limits;
}

AccessImportResult importAccessFile(const std::string& accessPath, const std::string& password,
                                    const std::string& sqlitePath) {
    return importAccessFile(accessPath, password, sqlitePath, AccessImportOptions{});
}

AccessImportResult importAccessFile(const std::string& accessPath, const std::string& password,
                                    const std::string& sqlitePath, const AccessImportOptions& options) {
    using namespace access;
    std::error_code ec;
    const auto status = std::filesystem::status(accessPath, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return failure(3024, "Kan het bestand '" + accessPath + "' niet vinden.");
    if (ec) return failure(3051, "Kan het bestand '" + accessPath + "' niet openen.");
    if (!std::filesystem::is_regular_file(status))
        return failure(3055, "'" + accessPath + "' is geen geldige bestandsnaam.");
    const std::uintmax_t fileBytes = std::filesystem::file_size(accessPath, ec);
    if (ec || !os::mayRead(accessPath)) return failure(3051, "Kan het bestand '" + accessPath + "' niet openen.");
    if (std::filesystem::exists(std::filesystem::symlink_status(sqlitePath, ec)))
        return failure(3012, "Object '" + sqlitePath + "' bestaat al.");

    // libmdb and the header's stream open the file by a narrow name.
    const std::string openName = os::narrowName(accessPath);
    const auto header = readFileHeader(openName);
    if (!header) return failure(3343, kUnknownFormat);
    if (header->encrypted)
        return failure(3343, std::string(kUnknownFormat) + ": het bestand is versleuteld en kan niet worden gelezen");
    if (!passwordAccepted(*header, password)) return failure(3031, "Geen geldig wachtwoord.");
    // Jet writes whole pages only: anything else was cut short or added to.
    if (fileBytes % (header->jet3 ? 2048 : 4096) != 0) return damagedFile(accessPath, "");

    const os::IsolatedRun run = os::runIsolated("access-copy", openName + '\0' + sqlitePath, options.timeout,
                                                readerLimits(static_cast<std::uint64_t>(fileBytes)));

    if (run.end == os::IsolatedRun::End::NotStarted) return failure(3035, "Onvoldoende systeembronnen.");
    std::optional<AccessImportResult> result;
    if (run.end == os::IsolatedRun::End::Reported) result = decode(run.report);
    if (!result) result = failure(3343, kUnknownFormat);
    if (result->errorNumber != 0) removeOutput(sqlitePath);
    if (result->errorNumber == kDamaged) return damagedFile(accessPath, result->description);
    return *result;
}

bool looksLikeAccessFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char bytes[20] = {};
    in.read(bytes, sizeof bytes);
    return access::hasAccessSignature(reinterpret_cast<const std::uint8_t*>(bytes),
                                      static_cast<std::size_t>(in.gcount()));
}

}  // namespace zelk
