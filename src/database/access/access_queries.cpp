#include "database/access/access_queries.h"

#include <algorithm>
#include <cctype>

namespace zelk::access {

namespace {

enum Attribute {
    kType = 1,
    kParameter = 2,
    kFlags = 3,
    kRemoteDatabase = 4,
    kTable = 5,
    kColumn = 6,
    kJoin = 7,
    kWhere = 8,
    kGroupBy = 9,
    kHaving = 10,
    kOrderBy = 11
};

enum SelectFlags { kSelectStar = 0x01, kDistinct = 0x02, kTop = 0x10, kPercent = 0x20 };

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string kindName(long type) {
    switch (type) {
    case 2: return "een tabelmaakquery";
    case 3: return "een toevoegquery";
    case 4: return "een bijwerkquery";
    case 5: return "een verwijderquery";
    case 6: return "een kruistabelquery";
    case 7: return "een gegevensdefinitiequery";
    case 8: return "een pass-through-query";
    case 9: return "een samenvoegingsquery";
    default: return "een query van onbekende soort";
    }
}

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

struct FromItem {
    std::vector<std::string> names;  // lower-case names by which the joins refer to it
    std::string text;
    bool join = false;
    std::string wrapped() const { return join ? "(" + text + ")" : text; }
};

}  // namespace

std::string quoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::optional<std::string> translateExpression(const std::string& in, std::string& problem) {
    std::string out;
    std::size_t i = 0;
    while (i < in.size()) {
        const char c = in[i];
        if (c == '"' || c == '\'') {
            // A string literal; Access doubles the quote to escape it.
            std::string body;
            std::size_t j = i + 1;
            bool closed = false;
            while (j < in.size()) {
                if (in[j] == c) {
                    if (j + 1 < in.size() && in[j + 1] == c) {
                        body += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                body += in[j++];
            }
            if (!closed) {
                problem = "de tekst bevat een niet afgesloten tekenreeks";
                return std::nullopt;
            }
            out += '\'';
            for (char b : body) {
                if (b == '\'') out += '\'';
                out += b;
            }
            out += '\'';
            i = j + 1;
        } else if (c == '[') {
            const std::size_t j = in.find(']', i);
            if (j == std::string::npos) {
                problem = "de tekst bevat een niet afgesloten naam";
                return std::nullopt;
            }
            out.append(in, i, j - i + 1);
            i = j + 1;
        } else if (c == '#') {
            problem = "de tekst bevat een Access-datum (#...#)";
            return std::nullopt;
        } else if (c == '&') {
            problem = "de tekst bevat het Access-teken & voor samenvoegen";
            return std::nullopt;
        } else if (isWordChar(c)) {
            std::size_t j = i;
            while (j < in.size() && isWordChar(in[j])) ++j;
            const std::string word = lower(in.substr(i, j - i));
            if (word == "like") {
                problem = "de tekst gebruikt Like met Access-jokertekens";
                return std::nullopt;
            }
            out.append(in, i, j - i);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

namespace {

struct Join {
    std::string left, right;  // lower-case names of the joined tables
    long kind;
    std::vector<std::string> conditions;
};

// A select query's pieces as its rows give them, already in SQLite's dialect.
struct SelectParts {
    long flags = 0;
    std::vector<std::string> columns, groupBy, orderBy;
    std::vector<FromItem> from;
    std::string where, having;
    std::vector<Join> joins;
};

// The problem a row brings, nullopt when it was taken in.
using Problem = std::optional<std::string>;

Problem translateInto(const std::string& access, std::string& out) {
    std::string why;
    auto translated = translateExpression(access, why);
    if (!translated) return why;
    out = std::move(*translated);
    return std::nullopt;
}

Problem readTable(const QueryRow& row, SelectParts& parts) {
    FromItem item;
    const std::string& alias = row.name2;
    if (!row.name1.empty()) {
        item.text = quoteIdentifier(row.name1);
        item.names.push_back(lower(row.name1));
    } else if (!row.expression.empty() && !alias.empty()) {
        std::string sub;
        if (auto why = translateInto(row.expression, sub)) return why;
        item.text = "(" + sub + ")";
    } else {
        return "een tabel van de query heeft geen naam";
    }
    if (!alias.empty()) {
        item.text += " AS " + quoteIdentifier(alias);
        item.names.push_back(lower(alias));
    }
    parts.from.push_back(std::move(item));
    return std::nullopt;
}

// Conditions of one join between the same two tables come as rows of their own.
Problem readJoin(const QueryRow& row, SelectParts& parts) {
    std::string on;
    if (auto why = translateInto(row.expression, on)) return why;
    const long kind = row.flag.value_or(0);
    const std::string left = lower(row.name1), right = lower(row.name2);
    auto same = std::find_if(parts.joins.begin(), parts.joins.end(),
                             [&](const Join& j) { return j.left == left && j.right == right && j.kind == kind; });
    if (same != parts.joins.end()) same->conditions.push_back(on);
    else parts.joins.push_back({left, right, kind, {on}});
    return std::nullopt;
}

Problem readRow(const QueryRow& row, SelectParts& parts) {
    std::string text;
    switch (row.attribute) {
    case kParameter: return "de query heeft parameters";
    case kFlags: parts.flags = row.flag.value_or(0); return std::nullopt;
    case kRemoteDatabase: return "de query leest uit een andere database";
    case kTable: return readTable(row, parts);
    case kColumn:
        if (row.expression.empty()) return std::nullopt;
        if (auto why = translateInto(row.expression, text)) return why;
        if (!row.name1.empty()) text += " AS " + quoteIdentifier(row.name1);
        parts.columns.push_back(text);
        return std::nullopt;
    case kJoin: return readJoin(row, parts);
    case kWhere: return translateInto(row.expression, parts.where);
    case kGroupBy:
        if (auto why = translateInto(row.expression, text)) return why;
        parts.groupBy.push_back(text);
        return std::nullopt;
    case kHaving: return translateInto(row.expression, parts.having);
    case kOrderBy:
        if (auto why = translateInto(row.expression, text)) return why;
        if (lower(row.name1) == "d") text += " DESC";
        parts.orderBy.push_back(text);
        return std::nullopt;
    default: return std::nullopt;
    }
}

// Each join takes its two tables out of the FROM list and puts back one
// nested item, so later joins can refer to either table by name.
Problem nestJoins(SelectParts& parts) {
    std::vector<FromItem>& from = parts.from;
    for (const Join& j : parts.joins) {
        auto holds = [](const std::string& name) {
            return [&name](const FromItem& item) {
                return std::find(item.names.begin(), item.names.end(), name) != item.names.end();
            };
        };
        auto left = std::find_if(from.begin(), from.end(), holds(j.left));
        auto right = std::find_if(from.begin(), from.end(), holds(j.right));
        if (left == from.end() || right == from.end() || left == right)
            return "de joins van de query zijn niet als SQL te schrijven";
        const char* kind = j.kind == 2 ? " LEFT JOIN " : j.kind == 3 ? " RIGHT JOIN " : " INNER JOIN ";
        std::string on;
        if (j.conditions.size() == 1) {
            on = j.conditions.front();
        } else {
            for (const std::string& c : j.conditions) on += (on.empty() ? "(" : " AND (") + c + ")";
        }
        FromItem joined;
        joined.join = true;
        joined.text = left->wrapped() + kind + right->wrapped() + " ON " + on;
        joined.names = left->names;
        joined.names.insert(joined.names.end(), right->names.begin(), right->names.end());
        *left = std::move(joined);
        from.erase(right);
    }
    return std::nullopt;
}

std::string commaList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
    return out;
}

std::string selectText(const SelectParts& parts) {
    std::string sql = "SELECT ";
    if (parts.flags & kDistinct) sql += "DISTINCT ";
    sql += commaList(parts.columns) + " FROM ";
    std::vector<std::string> fromTexts;
    for (const FromItem& item : parts.from) fromTexts.push_back(item.text);
    sql += commaList(fromTexts);
    if (!parts.where.empty()) sql += " WHERE " + parts.where;
    if (!parts.groupBy.empty()) sql += " GROUP BY " + commaList(parts.groupBy);
    if (!parts.having.empty()) sql += " HAVING " + parts.having;
    if (!parts.orderBy.empty()) sql += " ORDER BY " + commaList(parts.orderBy);
    return sql;
}

QuerySql failed(std::string why) { return QuerySql{"", std::move(why)}; }

}  // namespace

QuerySql buildSelectQuery(std::vector<QueryRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
        return a.attribute != b.attribute ? a.attribute < b.attribute : a.order < b.order;
    });
    // The kind of query first: only a select query is worth reading further.
    long type = 0;
    for (const QueryRow& row : rows)
        if (row.attribute == kType) type = row.flag.value_or(0);
    if (type != 1) return failed("het is " + kindName(type));

    SelectParts parts;
    for (const QueryRow& row : rows)
        if (auto why = readRow(row, parts)) return failed(std::move(*why));
    if (parts.flags & (kTop | kPercent)) return failed("TOP wordt door SQLite anders uitgevoerd");
    if (parts.flags & kSelectStar) parts.columns.insert(parts.columns.begin(), "*");
    if (parts.columns.empty() || parts.from.empty()) return failed("de query heeft geen kolommen of tabellen");
    if (auto why = nestJoins(parts)) return failed(std::move(*why));
    return QuerySql{selectText(parts), ""};
}

}  // namespace zelk::access
