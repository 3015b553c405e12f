#pragma once
// A test with a scratch folder, a scripted platform and the message screen
// on it: the setup of every test of the general services.

#include <gtest/gtest.h>

#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "support/test_files.h"

namespace zelk::testing {

struct AlgFixture : ::testing::Test {
    ScratchDir dir;
    ScriptedPlatform platform;
    Alg alg{platform};
};

}  // namespace zelk::testing
