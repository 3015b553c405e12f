#include "platform/responsive_work.h"

#include <chrono>
#include <future>

#include "platform/platform.h"

namespace zelk {

namespace {
// Often enough that a window keeps repainting and menus open at once.
constexpr std::chrono::milliseconds kEventInterval{20};
}  // namespace

void runResponsive(Platform& platform, const std::string& label, const std::function<void()>& work) {
    platform.progress(label, 0, 0);
    std::future<void> done = std::async(std::launch::async, work);
    do {
        platform.doEvents();
    } while (done.wait_for(kEventInterval) != std::future_status::ready);
    done.get();
}

}  // namespace zelk
