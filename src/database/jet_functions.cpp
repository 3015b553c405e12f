#include "database/jet_functions.h"

#include "database/sqlite_handle.h"

namespace zelk {
namespace {

// Lives in SQLite's zeroed aggregate context, so it must stay a plain struct.
struct Kept {
    sqlite3_value* value;
    int seen;
};

void firstStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
    if (!k) return sqlite3_result_error_nomem(ctx);
    if (k->seen) return;
    k->value = sqlite3_value_dup(argv[0]);
    if (!k->value) return sqlite3_result_error_nomem(ctx);
    k->seen = 1;
}

void lastStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
    if (!k) return sqlite3_result_error_nomem(ctx);
    sqlite3_value* v = sqlite3_value_dup(argv[0]);
    if (!v) return sqlite3_result_error_nomem(ctx);
    sqlite3_value_free(k->value);
    k->value = v;
    k->seen = 1;
}

void keptFinal(sqlite3_context* ctx) {
    auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, 0));
    if (!k || !k->seen) return sqlite3_result_null(ctx);
    sqlite3_result_value(ctx, k->value);
    sqlite3_value_free(k->value);
    k->value = nullptr;
}

}  // namespace

void registerJetFunctions(sqlite3* db) {
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite::check(db,
                  sqlite3_create_function_v2(db, "First", 1, flags, nullptr, nullptr, firstStep, keptFinal, nullptr));
    sqlite::check(db, sqlite3_create_function_v2(db, "Last", 1, flags, nullptr, nullptr, lastStep, keptFinal, nullptr));
}

}  // namespace zelk
