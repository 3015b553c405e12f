#include "database/access/access_queries.h"

#include <algorithm>
#include <cctype>

namespace zelk::access {

namespace {

enum Attribute {
    kType = 1, kParameter = 2, kFlags = 3, kRemoteDatabase = 4, kTable = 5, kColumn = 6, kJoin = 7,
    kWhere = 8, kGroupBy = 9, kHaving = 10, kOrderBy = 11
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

QuerySql buildSelectQuery(std::vector<QueryRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
        return a.attribute != b.attribute ? a.attribute < b.attribute : a.order < b.order;
    });
    QuerySql result;
    auto fail = [&](std::string why) {
        result.sql.clear();
        result.problem = std::move(why);
        return result;
    };
    auto expr = [&](const std::string& text, std::string& out) {
        std::string why;
        auto translated = translateExpression(text, why);
        if (!translated) {
            result.problem = why;
            return false;
        }
        out = *translated;
        return true;
    };

    // The kind of query first: only a select query is worth reading further.
    long type = 0;
    for (const QueryRow& row : rows)
        if (row.attribute == kType) type = row.flag.value_or(0);
    if (type != 1) return fail("het is " + kindName(type));

    long flags = 0;
    std::vector<std::string> columns, groupBy, orderBy;
    std::vector<FromItem> from;
    std::string where, having;
    struct Join {
        std::string left, right;
        long kind;
        std::vector<std::string> conditions;
    };
    std::vector<Join> joins;

    for (const QueryRow& row : rows) {
        std::string text;
        switch (row.attribute) {
        case kParameter: return fail("de query heeft parameters");
        case kFlags: flags = row.flag.value_or(0); break;
        case kRemoteDatabase: return fail("de query leest uit een andere database");
        case kTable: {
            FromItem item;
            const std::string& alias = row.name2;
            if (!row.name1.empty()) {
                item.text = quoteIdentifier(row.name1);
                item.names.push_back(lower(row.name1));
            } else if (!row.expression.empty() && !alias.empty()) {
                if (!expr(row.expression, text)) return result;
                item.text = "(" + text + ")";
            } else {
                return fail("een tabel van de query heeft geen naam");
            }
            if (!alias.empty()) {
                item.text += " AS " + quoteIdentifier(alias);
                item.names.push_back(lower(alias));
            }
            from.push_back(std::move(item));
            break;
        }
        case kColumn:
            if (row.expression.empty()) break;
            if (!expr(row.expression, text)) return result;
            if (!row.name1.empty()) text += " AS " + quoteIdentifier(row.name1);
            columns.push_back(text);
            break;
        case kJoin: {
            if (!expr(row.expression, text)) return result;
            const long kind = row.flag.value_or(0);
            auto same = std::find_if(joins.begin(), joins.end(), [&](const Join& j) {
                return j.left == lower(row.name1) && j.right == lower(row.name2) && j.kind == kind;
            });
            if (same != joins.end()) same->conditions.push_back(text);
            else joins.push_back({lower(row.name1), lower(row.name2), kind, {text}});
            break;
        }
        case kWhere:
            if (!expr(row.expression, where)) return result;
            break;
        case kGroupBy:
            if (!expr(row.expression, text)) return result;
            groupBy.push_back(text);
            break;
        case kHaving:
            if (!expr(row.expression, having)) return result;
            break;
        case kOrderBy:
            if (!expr(row.expression, text)) return result;
            if (lower(row.name1) == "d") text += " DESC";
            orderBy.push_back(text);
            break;
        default: break;
        }
    }

    if (flags & (kTop | kPercent)) return fail("TOP wordt door SQLite anders uitgevoerd");
    if (flags & kSelectStar) columns.insert(columns.begin(), "*");
    if (columns.empty() || from.empty()) return fail("de query heeft geen kolommen of tabellen");

    for (const Join& j : joins) {
        auto holds = [](const std::string& name) {
            return [&name](const FromItem& item) {
                return std::find(item.names.begin(), item.names.end(), name) != item.names.end();
            };
        };
        auto left = std::find_if(from.begin(), from.end(), holds(j.left));
        auto right = std::find_if(from.begin(), from.end(), holds(j.right));
        if (left == from.end() || right == from.end() || left == right)
            return fail("de joins van de query zijn niet als SQL te schrijven");
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

    auto list = [](const std::vector<std::string>& items) {
        std::string out;
        for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
        return out;
    };
    std::string sql = "SELECT ";
    if (flags & kDistinct) sql += "DISTINCT ";
    sql += list(columns) + " FROM ";
    std::vector<std::string> fromTexts;
    for (const FromItem& item : from) fromTexts.push_back(item.text);
    sql += list(fromTexts);
    if (!where.empty()) sql += " WHERE " + where;
    if (!groupBy.empty()) sql += " GROUP BY " + list(groupBy);
    if (!having.empty()) sql += " HAVING " + having;
    if (!orderBy.empty()) sql += " ORDER BY " + list(orderBy);
    result.sql = sql;
    result.problem.clear();
    return result;
}

}  // namespace zelk::access
