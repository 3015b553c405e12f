#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "last_resort_guard.h"
#include "platform/scripted_platform.h"
#include "runtime/runtime_error.h"

using namespace zelk;

TEST(LastResortGuard, WhateverEscapesACommandIsShownInDutchAndTheProgramGoesOn) {
    ScriptedPlatform platform;
    int ran = 0;
    runGuarded(platform, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(platform.asked.empty());

    runGuarded(platform, [] { throw RuntimeError(3043, "DAO.Database", "Schijf- of netwerkfout."); });
    runGuarded(platform, [] { throw std::bad_alloc(); });
    runGuarded(platform, [] { throw std::out_of_range("vector"); });
    runGuarded(platform, [] { throw 42; });
    EXPECT_EQ(platform.msgBoxPrompts(), (std::vector<std::string>{
                                            "Fout 3043 in DAO.Database: Schijf- of netwerkfout.",
                                            "Onvoldoende geheugen",
                                            "Onverwachte fout: vector",
                                            "Onverwachte fout van onbekende soort",
                                        }));
    for (const auto& q : platform.asked) EXPECT_EQ(q.style, vbCritical);

    // The guard holds for the next command as well.
    runGuarded(platform, [&] { ++ran; });
    EXPECT_EQ(ran, 2);
}
