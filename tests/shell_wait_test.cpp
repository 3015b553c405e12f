#include <gtest/gtest.h>

#include "platform/scripted_platform.h"
#include "shell/msg_wait.h"

using namespace zelk;

namespace {

// Events arrive every `step` ms, so the wait wakes up early many times.
class BusyPlatform : public ScriptedPlatform {
public:
    std::uint32_t step = 700;
    int waits = 0;
    void waitForEvents(std::uint32_t ms) override {
        ++waits;
        ticks += ms < step ? ms : step;
        doEvents();
    }
};

}  // namespace

TEST(ShellWait, WaitsTheWholeIntervalAlsoAcrossTheTickWrap) {
    for (std::uint32_t start : {1000u, 0x7FFFF000u, 0xFFFFF000u, 0xFFFFFFFFu, 0x80000000u}) {
        SCOPED_TRACE(start);
        BusyPlatform p;
        p.ticks = start;
        EXPECT_EQ(WaitMilliseconds(p, 10000), kWaitTimeout);
        EXPECT_EQ(static_cast<std::uint32_t>(p.ticks - start), 10000u);
        EXPECT_EQ(p.waits, 15);          // 14 wake-ups by events, the last one by the time-out
        EXPECT_EQ(p.doEventsCalls, 30);  // each wake-up lets the events run after the wait as well

        ScriptedPlatform quiet;
        quiet.ticks = start;
        EXPECT_EQ(WaitWithMessages(quiet, 3000), kWaitTimeout);
        EXPECT_EQ(static_cast<std::uint32_t>(quiet.ticks - start), 3000u);
    }
    // No time and a time already past end at once.
    ScriptedPlatform p;
    EXPECT_EQ(WaitMilliseconds(p, 0), kWaitTimeout);
    EXPECT_EQ(p.ticks, 1000u);
    const int events = p.doEventsCalls;
    EXPECT_EQ(WaitMilliseconds(p, -5), kWaitTimeout);
    EXPECT_EQ(p.doEventsCalls, events);  // nothing waited for
    EXPECT_EQ(wrapAdd(0x7FFFFFFF, 1), static_cast<std::int32_t>(0x80000000u));
    EXPECT_EQ(wrapSub(static_cast<std::int32_t>(0x80000000u), 1), 0x7FFFFFFF);
}

TEST(ShellWait, WithoutLimitOnlyEventsRun) {
    // No handles to wait for: the wait goes on through every event.
    ScriptedPlatform p;
    int events = 0;
    p.onDoEvents = [&] {
        if (++events == 50) throw 42;  // the test's way out
    };
    EXPECT_THROW(WaitWithMessages(p, kWaitForever), int);
    EXPECT_EQ(events, 50);
}
