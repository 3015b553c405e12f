// The tests' own main: where children are started afresh (Windows), a child
// of the test program must run its job before the test framework starts.
#include <gtest/gtest.h>

#include "os/child_process.h"

int main(int argc, char** argv) {
    zelk::os::runIsolatedJobIfChild();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
