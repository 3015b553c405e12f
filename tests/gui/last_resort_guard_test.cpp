#include <gtest/gtest.h>

#include <QPushButton>
#include <memory>
#include <new>
#include <stdexcept>

#include "gui_app.h"
#include "last_resort_guard.h"
#include "opties_dialog.h"
#include "platform/scripted_platform.h"
#include "runtime/runtime_error.h"
#include "session/main_values.h"

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

// A dialog's buttons run the library behind the same guard as the menu.
TEST(LastResortGuard, HoldsForTheDialogsToo) {
    guiApp();
    ScriptedPlatform shown;
    ScriptedPlatform op;
    op.userAway = true;  // the folder dialog would wait for ever: it throws
    MainValues main;
    FrmOpties opties(op, main);
    const auto o =
        std::make_unique<OptiesDialog>(opties, nullptr, [&](const std::function<void()>& f) { runGuarded(shown, f); });
    o->show();
    o->findChild<QPushButton*>("cmdBladeren")->click();
    EXPECT_EQ(shown.msgBoxPrompts(), std::vector<std::string>{"Onverwachte fout van onbekende soort"});
}
