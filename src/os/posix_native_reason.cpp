#include "os/native_reason.h"

namespace zelk::os {

// The system's codes are errno values here.
const char* nativeReason(int value) { return errnoReason(value); }

}  // namespace zelk::os
