#pragma once
// Stored queries of an Access file. The file keeps a query not as SQL text
// but as rows of MSysQueries (one per table, column, join, condition, ...);
// a select query is put back together here as SQL that SQLite runs with the
// same meaning. Anything whose meaning SQLite would change silently (Access
// wildcards, "&" concatenation, TOP with ties, parameters) is refused with a
// reason instead.

#include <optional>
#include <string>
#include <vector>

namespace zelk::access {

struct QueryRow {
    int attribute = 0;
    std::optional<long> flag;
    std::string name1, name2, expression;
    std::string order;  // the Order bytes, which sort rows of one attribute
};

struct QuerySql {
    std::string sql;      // the SELECT text, when `problem` is empty
    std::string problem;  // why the query cannot be kept (Dutch, without a period)
};

QuerySql buildSelectQuery(std::vector<QueryRow> rows);

// An Access SQL expression in SQLite's dialect: "text" becomes 'text'.
// nullopt (and `problem` set) when it uses syntax SQLite would read otherwise.
std::optional<std::string> translateExpression(const std::string& access, std::string& problem);

std::string quoteIdentifier(const std::string& name);  // "name" with " doubled

}  // namespace zelk::access
