#pragma once
// This process and others, by number.

namespace zelk::os {

long processId();

// True only when no process of that number exists; false when it runs, or
// when that cannot be told (another user's process, a malformed number).
bool processGone(long pid);

}  // namespace zelk::os
