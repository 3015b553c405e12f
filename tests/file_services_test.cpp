#include <gtest/gtest.h>

#include <filesystem>

#include "messages/alg.h"
#include "messages/dir_search.h"
#include "messages/file_services.h"
#include "platform/scripted_platform.h"
#include "support/alg_fixture.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::box;
using zelk::testing::native;
using zelk::testing::readBytes;
using zelk::testing::writeBytes;

struct FileServices : zelk::testing::AlgFixture {};

TEST_F(FileServices, ExistenceTestsAndTheDirectorySearch) {
    for (const char* name : {"a.mdb", "b.mdb", "c.txt", ".hidden.mdb"}) writeBytes(dir / name, "");
    std::filesystem::create_directory(dir / "sub");

    EXPECT_TRUE(FileExists(alg, dir / "a.mdb"));
    EXPECT_EQ(FileExists(alg, dir / "A.MDB"), kCaseInsensitiveFileNames);  // as the file system compares names
    EXPECT_FALSE(FileExists(alg, dir / "sub"));                            // a directory is no file
    EXPECT_FALSE(FileExists(alg, ""));
    EXPECT_TRUE(DirExists(alg, dir / "sub"));
    EXPECT_TRUE(DirExists(alg, dir / "sub/"));
    EXPECT_TRUE(DirExists(alg, dir / "a.mdb"));  // the directory search matches files too
    EXPECT_FALSE(DirExists(alg, dir / "nope"));

    EXPECT_EQ(ControlledDir(alg, dir / "*.mdb"), "a.mdb");
    EXPECT_EQ(ControlledDir(alg), "b.mdb");
    EXPECT_EQ(ControlledDir(alg), "");  // hidden files only with attribute 2
    EXPECT_EQ(ControlledDir(alg, dir / "*.*", vbDirectory), ".");
    EXPECT_EQ(ControlledDir(alg), "..");
    EXPECT_EQ(ControlledDir(alg), "a.mdb");
    EXPECT_EQ(ControlledDir(alg, dir / "?.txt"), "c.txt");
    EXPECT_EQ(ControlledDir(alg, dir / "*.mdb", vbHidden), ".hidden.mdb");
    EXPECT_EQ(ControlledDir(alg, dir / "missing/*.*"), "");
}

TEST(Wildcards, OnlyStarAndQuestionMarkAreWild) {
    EXPECT_TRUE(wildcardMatch("*.mdb", "a.mdb", false));
    EXPECT_TRUE(wildcardMatch("*.mdb", ".hidden.mdb", false));  // hiding is the search's business
    EXPECT_FALSE(wildcardMatch("*.mdb", "a.mdbx", false));
    EXPECT_TRUE(wildcardMatch("*.*", "LEESMIJ", false));  // also names without a dot
    EXPECT_FALSE(wildcardMatch("*.?", "LEESMIJ", false));
    EXPECT_TRUE(wildcardMatch("?.txt", "\xc3\xa9.txt", false));  // one character, two bytes
    EXPECT_FALSE(wildcardMatch("?.txt", "ab.txt", false));
    EXPECT_TRUE(wildcardMatch("x[1].tmp", "x[1].tmp", false));  // brackets are themselves
    EXPECT_FALSE(wildcardMatch("x[12].tmp", "x1.tmp", false));
    EXPECT_TRUE(wildcardMatch("a\\b*", "a\\bc", false));
    EXPECT_TRUE(wildcardMatch("*", "kapot\xff.mdb", false));  // no valid UTF-8, still a name
    EXPECT_TRUE(wildcardMatch("k*.mdb", "kapot\xff.mdb", false));
    EXPECT_FALSE(wildcardMatch("A.MDB", "a.mdb", false));
    EXPECT_TRUE(wildcardMatch("A*.MDB", "a\xc3\xa9.mdb", true));
    EXPECT_TRUE(wildcardMatch("\xc3\x89*", "\xc3\xa9t\xc3\xa9", true));  // case beyond ASCII
}

TEST_F(FileServices, ABadNameInTheSearchEndsTheProgramWithAMessage) {
    EXPECT_THROW(ControlledDir(alg, std::string("bad\0name", 8)), ProgramEnded);
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].prompt, "Ernstige Systeemfout in ControlledDir. Systeem is onstabiel!");
    EXPECT_EQ(platform.asked[0].style, vbCritical);
    EXPECT_EQ(platform.asked[0].title.rfind("Directory:", 0), 0u);
}

TEST_F(FileServices, FileKillDeletesPatternsAndAsksWhenItCannot) {
    for (const char* name : {"x1.tmp", "x2.tmp", "keep.txt"}) writeBytes(dir / name, "");
    EXPECT_TRUE(FileKill(alg, dir / "x*.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x1.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x2.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "keep.txt"));
    EXPECT_TRUE(platform.asked.empty());

    EXPECT_FALSE(FileKill(alg, dir / "x*.tmp"));  // nothing left: Cancel on the question
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(box(platform.asked[0]),
              box("Verwijderen bestand(en)", "Fout # 53 was aangemaakt door ZelkExtract2\rKan bestand niet vinden",
                  vbOKCancel));

    // OK tries again; the question comes back until the user cancels.
    std::filesystem::create_directory(dir / "busy");
    platform.asked.clear();
    platform.msgBoxAnswers = {vbOK};
    EXPECT_FALSE(FileKill(alg, dir / "busy"));  // a directory is refused twice, then Cancel
    ASSERT_EQ(platform.asked.size(), 2u);
    EXPECT_EQ(platform.asked[0].prompt,
              "Fout #  75 Bestand is in gebruik. Sluit eerst de andere applicatie en probeer vervolgens opnieuw door "
              "op 'OK' te drukken. \r\n\r\nBestand=" +
                  (dir / "busy"));
    EXPECT_TRUE(std::filesystem::exists(dir / "busy"));
}

TEST_F(FileServices, PutFileAndGetFileKeepTheText) {
    std::string name = dir / "note.txt";
    EXPECT_TRUE(PutFile(alg, name, "beëindigd\r\nregel 2"));
    EXPECT_EQ(readBytes(name), "be\xEBindigd\r\nregel 2");
    EXPECT_EQ(GetFile(alg, name), "beëindigd\r\nregel 2");

    EXPECT_FALSE(PutFile(alg, name, "kort"));  // replace question cancelled
    EXPECT_EQ(platform.msgBoxPrompts(), std::vector<std::string>{name});
    EXPECT_EQ(readBytes(name), "be\xEBindigd\r\nregel 2");
    EXPECT_TRUE(PutFile(alg, name, "kort", true));  // no question, and nothing of the old text stays
    EXPECT_EQ(readBytes(name), "kort");
    EXPECT_EQ(platform.msgBoxPrompts().size(), 1u);

    std::string missing = dir / "missing.txt";
    EXPECT_EQ(GetFile(alg, missing), "*ERROR*");
    EXPECT_EQ(missing, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.txt"));
    EXPECT_NE(alg.screen().text().find("GetFile: Geen bestand opgegeven\r\n"), std::string::npos);

    std::string empty = dir / "empty.txt";
    writeBytes(empty, "");
    EXPECT_EQ(GetFile(alg, empty), "");
    EXPECT_FALSE(alg.files().isOpen(1));  // every file was closed again
}

TEST_F(FileServices, TempFileNamesAreNewFiles) {
    const std::string a = TempFileName("zelk");
    const std::string b = TempFileName("zelk");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    for (const std::string& name : {a, b}) {
        const std::filesystem::path p(name);
        EXPECT_TRUE(std::filesystem::is_regular_file(p));
        EXPECT_EQ(std::filesystem::file_size(p), 0u);
        EXPECT_EQ(p.filename().string().substr(0, 3), "zel");
        EXPECT_EQ(p.extension().string(), ".TMP");
        EXPECT_EQ(p.filename().string().size(), 3u + 4 + 4);
        EXPECT_EQ(name.find('\0'), std::string::npos);
        std::filesystem::remove(p);
    }
}

TEST_F(FileServices, FullFilenameRemembersTheDirectory) {
    std::filesystem::create_directory(dir / "data");
    writeBytes(dir / "data/a.mdb", "");
    writeBytes(dir / "elsewhere.mdb", "");
    platform.store.set(kAppTitle, "Main", "DbDir", dir / "data");
    EXPECT_EQ(FullFilename(alg, "DbDir", "Access (*.mdb)|*.mdb", "a.mdb"), dir / "data/a.mdb");
    EXPECT_TRUE(platform.asked.empty());
    EXPECT_EQ(platform.store.value(kAppTitle, "Main", "DbDir", ""), dir / "data/");

    EXPECT_EQ(FullFilename(alg, "DbDir", "Access (*.mdb)|*.mdb", "b.mdb"), "");  // dialog cancelled
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].prompt, "Geef de plaats van bestand: b.mdb");
    EXPECT_EQ(platform.asked[0].initDir, dir / "data/");
    EXPECT_EQ(platform.store.value(kAppTitle, "Main", "DbDir", ""), dir / "data/");

    platform.fileAnswers.push_back(dir / "elsewhere.mdb");
    EXPECT_EQ(FullFilename(alg, "DbDir", "", "b.mdb"), dir / "elsewhere.mdb");
    EXPECT_EQ(platform.store.value(kAppTitle, "Main", "DbDir", ""), dir.str() + kPathSepText);

    // Nothing stored and no default: the name is looked for as given (not in
    // the root) and the dialog starts in the current directory.
    platform.asked.clear();
    EXPECT_EQ(FullFilename(alg, "Unset", "", "zz-not-here.mdb"), "");
    EXPECT_EQ(platform.asked[0].prompt, "Geef de plaats van bestand: zz-not-here.mdb");
    EXPECT_EQ(platform.asked[0].initDir, std::filesystem::current_path().string());
}

TEST_F(FileServices, BepaalVolledigeBestandsnaamRegFindsOrAsksAndRemembers) {
    std::filesystem::create_directory(dir / "cfg");
    writeBytes(dir / "cfg/codes.txt", "c");
    writeBytes(dir / "other.txt", "o");
    platform.store.set(kAppTitle, "Import", "Map", dir / "cfg");
    EXPECT_EQ(BepaalVolledigeBestandsnaamReg(alg, "codes.txt", "Import", "Map", ""), dir / "cfg/codes.txt");
    EXPECT_TRUE(platform.asked.empty());
    EXPECT_FALSE(alg.files().isOpen(1));

    // The file is gone: the dialog finds another, and both settings follow it.
    platform.fileAnswers.push_back(dir / "other.txt");
    EXPECT_EQ(BepaalVolledigeBestandsnaamReg(alg, "gone.txt", "Import", "Map", ""), dir / "other.txt");
    EXPECT_EQ(platform.store.value(kAppTitle, "Import", "Map", ""), dir.str() + kPathSepText);
    EXPECT_EQ(platform.store.value(kAppTitle, "Import", "gone.txt", ""), "other.txt");

    // Cancelled: a message box, and nothing found.
    platform.asked.clear();
    EXPECT_EQ(BepaalVolledigeBestandsnaamReg(alg, "absent.txt", "Import", "Map", ""), "");
    ASSERT_EQ(platform.msgBoxPrompts(), std::vector<std::string>{"Kan het bestand  niet vinden."});
    EXPECT_EQ(platform.asked.back().title, "Bestand zoeken");

    // A relative stored directory is not trusted: the default directory is used.
    platform.asked.clear();
    platform.store.set(kAppTitle, "Import", "Map", "relative/dir");
    EXPECT_EQ(BepaalVolledigeBestandsnaamReg(alg, "codes.txt", "Import", "Map", "", dir / "cfg"),
              dir / "cfg/codes.txt");
    EXPECT_TRUE(platform.asked.empty());
}

// AfterLast and UpToLast as alg_func_test has them, on the platform's separator.
TEST(FileServicesNames, FileAndDirectoryPartsOfAFullName) {
    EXPECT_EQ(FileFromFullFilename(native("/home/u/a.mdb")), "a.mdb");
    EXPECT_EQ(DirFromFullFilename(native("/home/u/a.mdb")), native("/home/u/"));
    EXPECT_EQ(FileFromFullFilename("a.mdb", "\\"), ".mdb");  // the first character is always dropped
}
