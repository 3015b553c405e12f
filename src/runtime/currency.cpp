#include "runtime/currency.h"

#include <cmath>
#include <limits>

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

Currency operator-(Currency a) { return Currency{} - a; }

Currency operator*(Currency a, Currency b) {
    // Two scaled values multiply into 128 bits without overflow (|product| <=
    // 2^126); the product carries eight decimals, four of which are rounded away.
    const __int128 product = static_cast<__int128>(a.scaled) * b.scaled;
    __int128 q = product / kScale;
    const __int128 r = product % kScale;
    const __int128 twice = (r < 0 ? -r : r) * 2;
    if (twice > kScale || (twice == kScale && q % 2 != 0)) q += product < 0 ? -1 : 1;
    if (q < std::numeric_limits<std::int64_t>::min() || q > std::numeric_limits<std::int64_t>::max()) overflow();
    return Currency{static_cast<std::int64_t>(q)};
}

}  // namespace zelk
