#include "database/jet_functions.h"

#include <cstdint>
#include <string_view>

#include "database/field_value.h"
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

// Sum's running total in SQLite's zeroed aggregate context. It adds up as
// SQLite's own sum does (whole numbers exactly until a fraction comes, every
// value also into one double in row order), so an amount column's total is
// the one the exports always had; only what is no number is refused.
struct Summed {
    std::int64_t whole;
    double real;
    int seen;
    int approximate;  // a fraction came, or the whole numbers overflowed
    int overflowed;
};

void overflow(sqlite3_context* ctx) { sqlite3_result_error(ctx, "integer overflow", -1); }

void sumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* s = static_cast<Summed*>(sqlite3_aggregate_context(ctx, sizeof(Summed)));
    if (!s) return sqlite3_result_error_nomem(ctx);
    sqlite3_value* v = argv[0];
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return;
    case SQLITE_INTEGER: {
        const std::int64_t n = sqlite3_value_int64(v);
        s->real += static_cast<double>(n);
        if (!s->approximate && __builtin_add_overflow(s->whole, n, &s->whole)) s->approximate = s->overflowed = 1;
        break;
    }
    case SQLITE_FLOAT:
        s->real += sqlite3_value_double(v);
        s->approximate = 1;
        break;
    default: {
        // A blob or a text: only a number written as text counts as one.
        const auto* text = static_cast<const char*>(sqlite3_value_blob(v));
        const auto size = static_cast<std::size_t>(sqlite3_value_bytes(v));
        const auto number = storedNumber(std::string_view(text ? text : "", text ? size : 0));
        if (!number || sqlite3_value_type(v) == SQLITE_BLOB) {
            sqlite3_result_error(ctx, "Sum: geen getal", -1);
            return sqlite3_result_error_code(ctx, SQLITE_MISMATCH);
        }
        s->real += *number;
        s->approximate = 1;
    }
    }
    s->seen = 1;
}

void sumFinal(sqlite3_context* ctx) {
    auto* s = static_cast<Summed*>(sqlite3_aggregate_context(ctx, 0));
    if (!s || !s->seen) return sqlite3_result_null(ctx);
    if (s->overflowed) return overflow(ctx);
    if (!s->approximate) return sqlite3_result_int64(ctx, s->whole);
    sqlite3_result_double(ctx, s->real);
}

}  // namespace

void registerJetFunctions(sqlite3* db) {
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite::check(db, sqlite3_create_function_v2(db, "Sum", 1, flags, nullptr, nullptr, sumStep, sumFinal, nullptr));
    sqlite::check(db,
                  sqlite3_create_function_v2(db, "First", 1, flags, nullptr, nullptr, firstStep, keptFinal, nullptr));
    sqlite::check(db, sqlite3_create_function_v2(db, "Last", 1, flags, nullptr, nullptr, lastStep, keptFinal, nullptr));
}

}  // namespace zelk
