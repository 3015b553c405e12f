// Work of seconds that must not freeze the window runs beside the events.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/responsive_work.h"
#include "platform/scripted_platform.h"

using namespace zelk;

TEST(ResponsiveWork, EventsRunWhileTheWorkRunsAndItsFailureComesBack) {
    ScriptedPlatform platform;
    // The work waits for an event that only this thread can handle: done
    // in one piece, it would wait out its limit.
    std::atomic<bool> eventHandled = false;
    platform.onDoEvents = [&] { eventHandled = true; };
    bool sawEvent = false;
    runResponsive(platform, "Werkmap wordt opgeslagen…", [&] {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!eventHandled && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawEvent = eventHandled;
    });
    EXPECT_TRUE(sawEvent);
    ASSERT_EQ(platform.progressCalls.size(), 1u);
    EXPECT_EQ(platform.progressCalls[0], std::make_tuple(std::string("Werkmap wordt opgeslagen…"), 0L, 0L));

    EXPECT_THROW(runResponsive(platform, "x", [] { throw std::runtime_error("schijf vol"); }), std::runtime_error);
}
