#pragma once
// Helpers shared by the Access reader's tests: reading a SQLite file back
// with the storage class of every value, so a test sees exactly what the
// engine will see.

#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace access_test {

using zelk::testing::fixture;
using zelk::testing::ScratchDir;

// Each value as "<storage class>:<text>", NULL as "null".
inline std::vector<std::vector<std::string>> query(const std::string& dbPath, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::vector<std::string>> rows;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + dbPath);
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        const std::string error = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(error + " in " + sql);
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_NULL: row.push_back("null"); break;
            case SQLITE_INTEGER: row.push_back(std::string("integer:") + text); break;
            case SQLITE_FLOAT: row.push_back(std::string("real:") + text); break;
            case SQLITE_TEXT: row.push_back(std::string("text:") + text); break;
            default: row.push_back("blob:" + std::to_string(sqlite3_column_bytes(stmt, i))); break;
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

}  // namespace access_test
