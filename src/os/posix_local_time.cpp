#include "os/local_time.h"

namespace zelk::os {

std::tm localTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

}  // namespace zelk::os
