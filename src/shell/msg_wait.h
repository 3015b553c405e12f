#pragma once
// Waiting without freezing the window: the wait returns whenever events
// arrive, lets them run, and goes on waiting until the interval is over. The
// tick count wraps at 2^32, so every sum and difference wraps with it.

#include <cstdint>

namespace zelk {

class Platform;

constexpr std::int32_t kWaitTimeout = 258;
constexpr std::int32_t kWaitForever = -1;

// Waits `interval` milliseconds (kWaitForever: no limit) while events keep
// being handled. Returns kWaitTimeout when the interval ran out. Without
// handles to wait for, an arriving event never ends the wait, so with no
// limit it does not return.
std::int32_t WaitWithMessages(Platform& platform, std::int32_t interval);
std::int32_t WaitMilliseconds(Platform& platform, std::int32_t interval);

// Tick arithmetic in signed 32 bits that wraps instead of overflowing.
constexpr std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr std::int32_t wrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

}  // namespace zelk
