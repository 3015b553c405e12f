#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "exports/export_folder.h"
#include "messages/alg.h"
#include "messages/path_separator.h"
#include "platform/scripted_platform.h"
#include "platform/settings_store.h"
#include "session/main_values.h"
#include "shell/opties_form.h"
#include "shell/parameters_form.h"
#include "shell/setting_numbers.h"
#include "shell/window_placement.h"

using namespace zelk;

TEST(ShellSettingNumbers, SwitchesAndWindowTexts) {
    EXPECT_EQ(strText(11520), " 11520");
    EXPECT_EQ(strText(-3.5), "-3.5");
    EXPECT_EQ(singleText(12288.f), "12288");

    EXPECT_EQ(wholeNumberSetting("1"), 1);
    EXPECT_EQ(wholeNumberSetting(" 0 "), 0);
    EXPECT_FALSE(wholeNumberSetting("ja").has_value());
    EXPECT_FALSE(wholeNumberSetting("").has_value());
    EXPECT_EQ(realNumberSetting("0,5"), 0.5);
    EXPECT_FALSE(realNumberSetting("aan").has_value());
}

TEST(ShellWindowPlacement, DefaultsAreFourFifthsCentredAndStoredValuesWin) {
    MemorySettings s;
    const TwipsRect d = storedPlacement(s, kAppTitle, 19200, 15360);
    EXPECT_EQ(d, (TwipsRect{1920, 1536, 15360, 12288}));
    EXPECT_EQ(d, defaultPlacement(19200, 15360));

    storePlacement(s, kAppTitle, TwipsRect{150, 300, 9000, 6000});
    EXPECT_EQ(s.value(kAppTitle, "Main", "WindowLeft", ""), "150");
    EXPECT_EQ(s.value(kAppTitle, "Main", "WindowTop", ""), "300");
    EXPECT_EQ(s.value(kAppTitle, "Main", "WindowWidth", ""), "9000");
    EXPECT_EQ(s.value(kAppTitle, "Main", "WindowHeight", ""), "6000");
    EXPECT_EQ(storedPlacement(s, kAppTitle, 19200, 15360), (TwipsRect{150, 300, 9000, 6000}));

    // A damaged value reads as 0 or as far as it is a number; a missing one
    // keeps its default.
    s.set(kAppTitle, "Main", "WindowLeft", "links");
    s.set(kAppTitle, "Main", "WindowTop", "9216,5");
    MemorySettings partial;
    partial.set(kAppTitle, "Main", "WindowHeight", "3000");
    EXPECT_EQ(storedPlacement(s, kAppTitle, 19200, 15360).left, 0);
    EXPECT_EQ(storedPlacement(s, kAppTitle, 19200, 15360).top, 9216);
    EXPECT_EQ(storedPlacement(partial, kAppTitle, 19200, 15360), (TwipsRect{1920, 1536, 15360, 3000}));

    // What the screen cannot show is brought back to it; a second screen's worth beside it stays.
    const auto fit = [](TwipsRect r) { return fitToScreen(r, 19200, 15360); };
    EXPECT_EQ(fit(TwipsRect{150, 300, 9000, 6000}), (TwipsRect{150, 300, 9000, 6000}));
    EXPECT_EQ(fit(TwipsRect{-19000, 30000, 9000, 6000}), (TwipsRect{-19000, 30000, 9000, 6000}));
    EXPECT_EQ(fit(TwipsRect{1e9f, -1e9f, 22500000, 22500000}), (TwipsRect{38400, -15360, 19200, 15360}));
    EXPECT_EQ(fit(TwipsRect{NAN, 0, INFINITY, -5}), (TwipsRect{1920, 0, 15360, 0}));
}

TEST(ShellForms, ParametersLoadAndUnloadSteerTheAutorunSettings) {
    MemorySettings s;
    MainValues main;
    FrmParameters form(s, main);

    FrmParameters::Fields f = form.Form_Load();
    EXPECT_TRUE(main.ParmLoaded);
    EXPECT_EQ(f.txtDirectory, std::filesystem::current_path().string());
    EXPECT_EQ(f.chkAutoRun, 0);

    f.txtDirectory = "/data/zelk";
    f.chkAutoRun = 1;
    form.Form_Unload(f);
    EXPECT_FALSE(main.ParmLoaded);
    EXPECT_EQ(s.value(kAppTitle, "Database", "FileDir", ""), "/data/zelk");
    EXPECT_EQ(s.value(kAppTitle, "Database", "Autorun", ""), "1");

    f = form.Form_Load();
    EXPECT_EQ(f.txtDirectory, "/data/zelk");
    EXPECT_EQ(f.chkAutoRun, 1);

    // A stored value the check box cannot show opens the dialog all the same.
    s.set(kAppTitle, "Database", "Autorun", "aan");
    EXPECT_EQ(form.Form_Load().chkAutoRun, 0);
    s.set(kAppTitle, "Database", "Autorun", "3");
    EXPECT_EQ(form.Form_Load().chkAutoRun, 1);
}

TEST(ShellForms, OptiesEveryClickStoresTheLogOption) {
    ScriptedPlatform p;
    MemorySettings& s = p.store;
    MainValues main;
    FrmOpties form(p, main);
    EXPECT_EQ(form.Form_Load(), 0);
    EXPECT_FALSE(s.get(kAppTitle, "Logbestand", "Filename").has_value());  // loading 0 stores nothing

    form.chkLogbestand_Click(1);
    EXPECT_EQ(s.value(kAppTitle, "Logbestand", "Filename", ""), "1");
    EXPECT_EQ(main.Logbestand, "1");
    EXPECT_EQ(form.Form_Load(), 1);
    form.chkLogbestand_Click(0);
    EXPECT_EQ(s.value(kAppTitle, "Logbestand", "Filename", ""), "0");
    EXPECT_EQ(main.Logbestand, "0");
}

TEST(ShellForms, OptiesExportFolderShownTypedAndChosen) {
    ScriptedPlatform p;
    MainValues main;
    p.documents = "/home/gebruiker/Documenten";
    FrmOpties form(p, main);
    // Nothing stored: the folder the workbooks would go to is shown.
    EXPECT_EQ(form.txtExportDir_Load(), std::string("/home/gebruiker/Documenten") + kPathSepText + "ZelkExtract");
    EXPECT_FALSE(p.store.get(kAppTitle, "Excel", "ExportDir").has_value());

    form.txtExportDir_Change("/srv/werkmappen");
    EXPECT_EQ(p.store.value(kAppTitle, "Excel", "ExportDir", ""), "/srv/werkmappen");
    EXPECT_EQ(form.txtExportDir_Load(), "/srv/werkmappen");
    EXPECT_EQ(exportDirectory(p), std::filesystem::path("/srv/werkmappen"));

    p.fileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(form.cmdBladeren_Click("/srv/werkmappen"));
    EXPECT_EQ(p.store.value(kAppTitle, "Excel", "ExportDir", ""), "/srv/werkmappen");
    p.fileAnswers.push_back("/srv/elders");
    EXPECT_EQ(form.cmdBladeren_Click("/srv/werkmappen"), "/srv/elders");
    EXPECT_EQ(exportDirectory(p), std::filesystem::path("/srv/elders"));
    ASSERT_EQ(p.asked.size(), 2u);
    EXPECT_EQ(p.asked[1].kind, ScriptedPlatform::Question::File);
    EXPECT_EQ(p.asked[1].initDir, "/srv/werkmappen");

    form.txtExportDir_Change(" ");  // blanked: the default again
    EXPECT_EQ(form.txtExportDir_Load(), std::string("/home/gebruiker/Documenten") + kPathSepText + "ZelkExtract");
}
