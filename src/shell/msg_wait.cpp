#include "shell/msg_wait.h"

#include "platform/platform.h"

namespace zelk {

std::int32_t WaitWithMessages(Platform& platform, std::int32_t interval) {
    // No handles are waited for, so "input arrived" is the result 0, the
    // handle count.
    constexpr std::int32_t kInputArrived = 0;
    const bool limited = interval != kWaitForever;
    const auto ticks = [&] { return static_cast<std::int32_t>(platform.tickCount()); };
    const std::int32_t deadline = limited ? wrapAdd(ticks(), interval) : 0;
    for (;;) {
        std::int32_t remaining = kWaitForever;
        if (limited) {
            remaining = wrapSub(deadline, ticks());
            // Same sign as the interval: more left than asked for means the
            // difference wrapped, i.e. the deadline lies behind us.
            const bool ranOut = (remaining ^ interval) > 0 ? remaining > interval : remaining < 0;
            if (ranOut) return kWaitTimeout;
        }
        platform.waitForEvents(static_cast<std::uint32_t>(remaining));
        const bool timedOut = limited && wrapSub(deadline, ticks()) <= 0;
        platform.doEvents();
        const std::int32_t result = timedOut ? kWaitTimeout : kInputArrived;
        if (result != kInputArrived) return result;
    }
}

std::int32_t WaitMilliseconds(Platform& platform, std::int32_t interval) {
    return WaitWithMessages(platform, interval);
}

}  // namespace zelk
