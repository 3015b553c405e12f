#include "os/local_time.h"

namespace zelk::os {

std::tm localTime(std::time_t t) {
    std::tm local{};
    localtime_s(&local, &t);
    return local;
}

}  // namespace zelk::os
