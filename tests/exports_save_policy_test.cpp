// Where the desktop saves a finished workbook: the export folder, a name that
// never overwrites, the line on the message screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "exports/export_folder.h"
#include "messages/alg.h"
#include "platform/batch_platform.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "spreadsheet/excel_application.h"
#include "support/test_files.h"

using namespace zelk;
using zelk::testing::filesIn;
using zelk::testing::readBytes;
using zelk::testing::ScratchDir;
namespace fs = std::filesystem;

namespace {

struct SavePolicy : ::testing::Test {
    ScriptedPlatform platform;
    ExcelInstances instances;
    std::shared_ptr<ExcelApplication> app = instances.start(platform);
    ScratchDir dir;
    Alg alg{platform};

    Workbook& smallBook() {
        Workbook& book = app->Workbooks().Add();
        app->Range("A1").Value(Variant("(ZELK-Extract-1)"));
        return book;
    }
};

}  // namespace

TEST_F(SavePolicy, UsesTheExportFolderAndFreeNames) {
    Workbook& book = smallBook();
    const fs::path out = dir.path() / "uitvoer" / "diep";
    platform.store.set(kAppTitle, "Excel", "ExportDir", out.string());
    platform.clock = makeDateTime({2026, 12, 6, 10, 15, 3});

    // While the workbook is packed and written the window answers, and the
    // status bar says what is going on; the message lines come after.
    std::vector<std::string> linesWhileSaving;
    platform.onDoEvents = [&] { linesWhileSaving.push_back(alg.screen().text()); };
    const auto first = saveAndShow(alg, book, "ZELK-Extract-1 Roerend", true);
    platform.onDoEvents = nullptr;
    ASSERT_TRUE(first);
    ASSERT_EQ(platform.progressCalls.size(), 1u);
    EXPECT_EQ(platform.progressCalls[0], std::make_tuple(std::string("Werkmap wordt opgeslagen…"), 0L, 0L));
    ASSERT_FALSE(linesWhileSaving.empty());
    EXPECT_EQ(linesWhileSaving.front(), "");
    EXPECT_EQ(*first, out / "ZELK-Extract-1 Roerend 2026-12-06 101503.xlsx");
    EXPECT_TRUE(fs::is_regular_file(*first));
    EXPECT_EQ(alg.screen().text(), "Werkmap opgeslagen: " + first->string() + "\r\n");
    EXPECT_EQ(platform.openedDocuments, std::vector<std::string>{first->string()});

    // The same second again: a free name, the first file untouched.
    const auto before = readBytes(*first);
    const auto second = saveAndShow(alg, book, "ZELK-Extract-1 Roerend", false);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, out / "ZELK-Extract-1 Roerend 2026-12-06 101503 (2).xlsx");
    EXPECT_EQ(readBytes(*first), before);
    EXPECT_EQ(platform.openedDocuments.size(), 1u);  // not opened when not asked

    // A folder that cannot be made: a message box, no line, nothing opened.
    std::ofstream(dir.path() / "blokkade") << "x";
    platform.store.set(kAppTitle, "Excel", "ExportDir", (dir.path() / "blokkade" / "map").string());
    EXPECT_FALSE(saveAndShow(alg, book, "ZELK-Extract-2", true));
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].style, vbCritical);
    EXPECT_EQ(platform.asked[0].title, "een deel van het pad is geen map");  // the system's reason, in Dutch
    EXPECT_EQ(platform.openedDocuments.size(), 1u);
}

TEST_F(SavePolicy, DefaultFolderIsInThePlatformsDocuments) {
    platform.documents = dir.path() / "Documenten";
    EXPECT_EQ(exportDirectory(platform), dir.path() / "Documenten" / "ZelkExtract");
    // Blanks are no folder.
    platform.store.set(kAppTitle, "Excel", "ExportDir", "   ");
    EXPECT_EQ(exportDirectory(platform), dir.path() / "Documenten" / "ZelkExtract");

    const auto p = saveAndShow(alg, smallBook(), "ZELK-Extract-2 Mapping", false);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->parent_path(), dir.path() / "Documenten" / "ZelkExtract");  // made with its parents
}

TEST_F(SavePolicy, ANameThatCannotBeChosenEndsTheSaveAsFailed) {
    if (zelk::testing::underWine()) GTEST_SKIP() << "wine takes names that Windows refuses as too long";
    Workbook& book = smallBook();
    platform.store.set(kAppTitle, "Excel", "ExportDir", dir.str());
    // Too long for the file system: the name cannot be tested, so no name is free.
    const std::string longName(300, 'x');
    EXPECT_THROW(freeWorkbookPath(dir.path(), longName, platform.clock), std::runtime_error);
    EXPECT_FALSE(saveAndShow(alg, book, longName, true));
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].style, vbCritical);
    EXPECT_NE(platform.asked[0].title.find("kan niet worden gekozen: de naam is te lang"), std::string::npos)
        << platform.asked[0].title;
    EXPECT_EQ(alg.screen().text().find("Werkmap opgeslagen"), std::string::npos);
    EXPECT_TRUE(platform.openedDocuments.empty());
    EXPECT_TRUE(filesIn(dir.path()).empty());

    // Every name taken: the counter ends.
    const std::string stem = "Vol " + formatDate(platform.clock, "yyyy-mm-dd hhnnss");
    std::ofstream(dir.path() / (stem + ".xlsx")) << "x";
    for (int n = 2; n <= kMaxWorkbookNameTries; ++n)
        std::ofstream(dir.path() / (stem + " (" + std::to_string(n) + ").xlsx")) << "x";
    EXPECT_THROW(freeWorkbookPath(dir.path(), "Vol", platform.clock), std::runtime_error);
    EXPECT_FALSE(saveAndShow(alg, book, "Vol", false));
    EXPECT_EQ(platform.asked.size(), 2u);
}

// Without a desktop to ask, documents live in the home folder.
TEST(BatchDocuments, AreInTheHomeFolder) {
    MemorySettings settings;
    BatchPlatform batch(settings, std::nullopt);
#ifdef _WIN32
    const char* home = "USERPROFILE";
    const std::string user = "C:\\Users\\gebruiker";
#else
    const char* home = "HOME";
    const std::string user = "/home/gebruiker";
#endif
    const char* oldHome = std::getenv(home);
    const std::string saved = oldHome ? oldHome : "";
    zelk::testing::setEnv(home, user.c_str());
    const fs::path withHome = batch.documentsFolder();
    zelk::testing::setEnv(home, nullptr);
    const fs::path withoutHome = batch.documentsFolder();
    zelk::testing::setEnv(home, oldHome ? saved.c_str() : nullptr);
    EXPECT_EQ(withHome, fs::path(user) / "Documents");
    EXPECT_EQ(withoutHome, fs::current_path() / "Documents");
}
