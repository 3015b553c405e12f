#pragma once
// Files that must not outlive the program: while a TerminationCleanup lives,
// SIGTERM, SIGINT, SIGHUP and SIGQUIT (or what a system has in their place)
// remove its files and then its folder before the program's own handling of
// the signal runs. A kill that cannot be caught leaves them; the owner's next
// run removes such leftovers.

#include <string>
#include <vector>

namespace zelk::os {

class TerminationCleanup {
public:
    // Up to four files; `folder` (may be empty) is removed after them when
    // it is empty then. Silently does nothing when the table is full or a
    // name is too long: the usual removal still happens.
    explicit TerminationCleanup(const std::vector<std::string>& files, const std::string& folder = {});
    ~TerminationCleanup();
    TerminationCleanup(const TerminationCleanup&) = delete;
    TerminationCleanup& operator=(const TerminationCleanup&) = delete;

    bool registered() const { return slot_ >= 0; }

private:
    int slot_ = -1;
};

}  // namespace zelk::os
