#include "runtime/currency.h"

#include <cmath>

#include "runtime/runtime_error.h"

namespace zelk {
namespace {

constexpr std::int64_t kScale = 10000;

[[noreturn]] void overflow() { throw RuntimeError(6); }

}  // namespace

Currency Currency::fromDouble(double v) {
    const double scaled = std::nearbyint(v * static_cast<double>(kScale));
    // 2^63 is exact as a double, so both bounds compare without rounding.
    constexpr double kLimit = 0x1p63;
    if (!(scaled >= -kLimit && scaled < kLimit)) overflow();
    return Currency{static_cast<std::int64_t>(scaled)};
}

Currency Currency::fromWhole(std::int64_t v) {
    Currency c;
    if (__builtin_mul_overflow(v, kScale, &c.scaled)) overflow();
    return c;
}

Currency operator+(Currency a, Currency b) {
    Currency c;
    if (__builtin_add_overflow(a.scaled, b.scaled, &c.scaled)) overflow();
    return c;
}

Currency operator-(Currency a, Currency b) {
    Currency c;
    if (__builtin_sub_overflow(a.scaled, b.scaled, &c.scaled)) overflow();
    return c;
}

}  // namespace zelk
