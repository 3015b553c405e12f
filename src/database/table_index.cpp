#include "database/table_index.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <optional>

#include "database/sqlite_handle.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace zelk {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<std::size_t> positionOf(const std::vector<ResultColumn>& columns, const std::string& name) {
    for (std::size_t k = 0; k < columns.size(); ++k)
        if (sameName(columns[k].name, name)) return k;
    return std::nullopt;
}

int rank(StoredValue::Class c) {
    switch (c) {
    case StoredValue::Null: return 0;
    case StoredValue::Integer:
    case StoredValue::Real: return 1;
    case StoredValue::Text: return 2;
    default: return 3;
    }
}

int foldedCompare(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        unsigned char x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool isNumericKind(FieldKind k) {
    return k == FieldKind::Long || k == FieldKind::Integer || k == FieldKind::Single || k == FieldKind::Double ||
           k == FieldKind::Currency || k == FieldKind::Boolean;
}

}  // namespace

std::vector<IndexDefinition> readIndexes(sqlite3* db, const std::string& schema, const std::string& table,
                                         const std::vector<ResultColumn>& columns) {
    std::vector<IndexDefinition> out;
    const std::string qs = sqlite::quoteIdentifier(schema);
    const std::string qt = sqlite::quoteIdentifier(table);

    // The primary key: an index of its own ("pk" origin) or the rowid alias.
    IndexDefinition pk{"PrimaryKey", {}, {}, {}};
    {
        auto st = sqlite::prepare(db, "PRAGMA " + qs + ".table_info(" + qt + ")");
        std::vector<std::pair<int, std::string>> keyCols;
        while (sqlite::step(db, st.get()))
            if (const int k = sqlite3_column_int(st.get(), 5); k > 0)
                keyCols.emplace_back(k, sqlite::columnText(st.get(), 1));
        std::sort(keyCols.begin(), keyCols.end());
        for (const auto& [k, name] : keyCols)
            if (auto pos = positionOf(columns, name)) pk.columns.push_back({*pos, false, "BINARY"});
        if (pk.columns.size() != keyCols.size()) pk.columns.clear();
    }

    std::vector<std::string> names;
    {
        auto st = sqlite::prepare(db, "PRAGMA " + qs + ".index_list(" + qt + ")");
        while (sqlite::step(db, st.get())) names.push_back(sqlite::columnText(st.get(), 1));
    }
    for (const std::string& name : names) {
        IndexDefinition def{name, {}, {}, name};
        if (name.size() > table.size() + 1 && name[table.size()] == '_' &&
            sqlite3_strnicmp(name.c_str(), table.c_str(), static_cast<int>(table.size())) == 0)
            def.jetName = name.substr(table.size() + 1);
        bool usable = true;
        auto st = sqlite::prepare(db, "PRAGMA " + qs + ".index_xinfo(" + sqlite::quoteIdentifier(name) + ")");
        while (sqlite::step(db, st.get())) {
            if (sqlite3_column_int(st.get(), 5) == 0) continue;     // the rowid that ends every index entry
            if (sqlite3_column_type(st.get(), 2) == SQLITE_NULL) {  // an expression, not a column
                usable = false;
                continue;
            }
            const auto pos = positionOf(columns, sqlite::columnText(st.get(), 2));
            if (!pos) {
                usable = false;
                continue;
            }
            def.columns.push_back({*pos, sqlite3_column_int(st.get(), 3) != 0, sqlite::columnText(st.get(), 4)});
        }
        if (!usable || def.columns.empty()) continue;
        // SQLite's own index for a PRIMARY KEY constraint carries a generated
        // name; Jet calls it PrimaryKey.
        if (name.rfind("sqlite_autoindex_", 0) == 0 && !pk.columns.empty() && def.columns.size() == pk.columns.size()) {
            pk.sqliteName = name;
            pk.columns = def.columns;
            continue;
        }
        out.push_back(std::move(def));
    }
    if (!pk.columns.empty()) out.push_back(std::move(pk));
    return out;
}

const IndexDefinition* findIndex(const std::vector<IndexDefinition>& indexes, const std::string& name) {
    const std::string wanted = upperCase(name);
    for (const IndexDefinition& d : indexes)
        if (upperCase(d.name) == wanted) return &d;
    for (const IndexDefinition& d : indexes)
        if (!d.jetName.empty() && upperCase(d.jetName) == wanted) return &d;
    return nullptr;
}

std::vector<IndexDefinition> tableIndexes(sqlite3* db, const std::string& table) {
    auto st = sqlite::prepare(db, "SELECT * FROM main." + sqlite::quoteIdentifier(table));
    return readIndexes(db, "main", table, resultColumns(st.get()));
}

int compareSortValues(const SortValue& a, const SortValue& b) {
    const int ra = rank(a.cls), rb = rank(b.cls);
    if (ra != rb) return ra < rb ? -1 : 1;
    switch (ra) {
    case 0: return 0;
    case 1: {
        if (a.cls == StoredValue::Integer && b.cls == StoredValue::Integer)
            return a.i == b.i ? 0 : (a.i < b.i ? -1 : 1);
        const long double x = a.cls == StoredValue::Integer ? static_cast<long double>(a.i) : a.r;
        const long double y = b.cls == StoredValue::Integer ? static_cast<long double>(b.i) : b.r;
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    case 2: return foldedCompare(a.view(), b.view());
    default: {
        const int c = std::memcmp(a.text, b.text, std::min(a.length, b.length));
        if (c != 0) return c < 0 ? -1 : 1;
        return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
    }
    }
}

SortValue sortValueOf(FieldKind kind, const StoredValue& v) {
    SortValue s;
    s.cls = v.cls;
    if (v.cls == StoredValue::Integer) s.i = v.i;
    else if (v.cls == StoredValue::Real) s.r = v.r;
    else if (v.cls != StoredValue::Null) {
        s.text = v.text.data();
        s.length = static_cast<std::uint32_t>(v.text.size());
    }
    if (kind == FieldKind::Date && v.cls == StoredValue::Text) {
        if (auto d = parseIsoDate(v.text)) {
            s.cls = StoredValue::Real;
            s.r = d->serial;
        }
    }
    return s;
}

SeekKey seekKeyOf(FieldKind kind, const Variant& key) {
    SeekKey k;
    if (key.isNull()) return k;
    const auto asText = [&](std::string t) {
        k.cls = SeekKey::Text;
        k.text = std::move(t);
        return k;
    };
    const auto as = [&](SeekKey::Class c, double d) {
        k.cls = c;
        k.number = d;
        return k;
    };
    if (kind == FieldKind::Text) return asText(key.isEmpty() ? std::string() : displayText(key));
    if (kind == FieldKind::Date) {
        try {
            return as(SeekKey::Date, key.isEmpty() ? 0.0 : key.toDate().serial);
        } catch (const RuntimeError&) {
            return asText(displayText(key));
        }
    }
    if (isNumericKind(kind) || !key.isString()) {
        try {
            if (key.type() == VarType::Date) return as(SeekKey::Number, key.date().serial);
            return as(SeekKey::Number, key.isEmpty() ? 0.0 : key.toDouble());
        } catch (const RuntimeError&) {
            return asText(displayText(key));
        }
    }
    return asText(key.str());
}

SortValue sortValueOfKey(FieldKind kind, const Variant& key, std::string& holder) {
    SeekKey k = seekKeyOf(kind, key);
    SortValue s;
    if (k.cls == SeekKey::Null) return s;
    if (k.cls == SeekKey::Text) {
        holder = std::move(k.text);
        s.cls = StoredValue::Text;
        s.text = holder.data();
        s.length = static_cast<std::uint32_t>(holder.size());
        return s;
    }
    // Dates compare as their day serials, as the rows' dates do.
    s.cls = StoredValue::Real;
    s.r = k.number;
    return s;
}

}  // namespace zelk
