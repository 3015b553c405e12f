#pragma once
// The runtime's Currency: 64-bit fixed point with four decimals. Every
// operation that would leave the range (about ±922 337 203 685 477,58)
// raises runtime error 6, as the original runtime does; nothing wraps.

#include <cstdint>

namespace zelk {

struct Currency {
    std::int64_t scaled = 0;  // value = scaled / 10000

    static Currency fromDouble(double v);  // rounds half to even at the 4th decimal
    static Currency fromWhole(std::int64_t v);
    double toDouble() const { return static_cast<double>(scaled) / 10000.0; }
    friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

Currency operator+(Currency a, Currency b);
Currency operator-(Currency a, Currency b);

}  // namespace zelk
