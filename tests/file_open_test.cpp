#include <gtest/gtest.h>

#include <filesystem>

#include "messages/alg.h"
#include "messages/file_open.h"
#include "platform/scripted_platform.h"
#include "runtime/runtime_error.h"
#include "support/alg_fixture.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::box;
using zelk::testing::readBytes;
using zelk::testing::ScratchDir;
using zelk::testing::writeBytes;

struct FileOpening : zelk::testing::AlgFixture {};
struct MakingPaths : zelk::testing::AlgFixture {};

namespace {

int countOf(const ScriptedPlatform& p, ScriptedPlatform::Question::Kind kind) {
    int n = 0;
    for (const auto& q : p.asked) n += q.kind == kind;
    return n;
}

}  // namespace

TEST_F(FileOpening, EveryModeWordOpensInItsWay) {
    struct Row {
        const char* word;
        bool emptied;
        bool dialog;
        bool saveDialog;
        bool replaceQuestion;
    };
    const Row rows[] = {
        {"INPUT", false, false, false, false},
        {"input-np", false, false, false, false},
        {"INPUT-Q", false, true, false, false},
        {"OUTPUT", true, false, false, true},
        {"OUTPUT-NT", true, false, false, false},
        {"Output-Q", true, true, true, false},
        {"OUTPUT-QU", true, true, true, true},
        {"APPEND", false, false, false, false},
        {"APPEND-Q", false, true, true, false},
        {"BINARY", false, false, false, false},
        {"BINARY-WRITE", false, false, false, false},
        {"BINARY-Q", false, true, true, false},
        {"INPUT-BINARY", false, false, false, false},
        {"INPUT-BINARY-SHARED", false, false, false, false},
        {"INPUT-BINARY-Q", false, true, false, false},
        {"INPUT-SHARED-NQ", false, false, false, false},
        {"INPUT-BINARY-SHARED-NQ", false, false, false, false},
        {"OUTPUT-BINARY", true, false, false, true},
        {"OUTPUT-BINARY-NQ", true, false, false, false},
        {"OUTPUT-BINARY-Q", true, true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word);
        ScratchDir rowDir;
        ScriptedPlatform rowPlatform;
        Alg rowAlg(rowPlatform);
        const std::string file = rowDir / "DATA.TXT";
        writeBytes(file, "abc");
        const bool upper = std::string(row.word) == "OUTPUT-QU";
        // OUTPUT-QU upper-cases the file part of the chosen name.
        if (row.dialog) rowPlatform.fileAnswers.push_back(upper ? rowDir / "data.txt" : file);
        if (row.replaceQuestion) rowPlatform.msgBoxAnswers.push_back(vbOK);
        std::string name = row.dialog ? "" : file;
        const int n = FileOpen(rowAlg, name, "", row.word);
        ASSERT_GT(n, 0);
        const std::string opened = rowAlg.files().path(n);
        EXPECT_EQ(opened, file);
        EXPECT_EQ(name, opened);
        EXPECT_EQ(readBytes(opened), row.emptied ? "" : "abc");
        EXPECT_EQ(countOf(rowPlatform, ScriptedPlatform::Question::File), row.dialog ? 1 : 0);
        EXPECT_EQ(countOf(rowPlatform, ScriptedPlatform::Question::MsgBox), row.replaceQuestion ? 1 : 0);
        if (row.dialog) {
            EXPECT_EQ(rowPlatform.asked[0].style, row.saveDialog ? 1 : 0);
        }
        if (row.replaceQuestion) {
            EXPECT_EQ(box(rowPlatform.asked.back()), box("Bestand bestaat reeds, vervangen?", opened, vbOKCancel));
        }
        rowAlg.files().close(n);
    }
}

TEST_F(FileOpening, OpenedFilesCanBeUsedInTheirMode) {
    FileTable& files = alg.files();
    std::string out = dir / "out.txt";
    const int w = FileOpen(alg, out, "", "OUTPUT-NT");
    files.printLine(w, "één");
    files.printLine(w, "twee");
    EXPECT_THROW(files.getBytes(w, 1, 1), RuntimeError);  // text output is no binary file
    files.close(w);
    const int r = FileOpen(alg, out, "", "INPUT");
    EXPECT_EQ(files.lineInput(r), "één");
    EXPECT_EQ(files.lineInput(r), "twee");
    EXPECT_TRUE(files.eof(r));
    EXPECT_EQ(zelk::testing::errorOf([&] { files.lineInput(r); }), 62);  // read past the end
    files.close(r);
    const int b = FileOpen(alg, out, "", "BINARY");
    files.putBytes(b, 2, "EE");
    EXPECT_EQ(files.getBytes(b, 1, 4),
              "\xE9"
              "EE\r");  // é is one byte
    EXPECT_EQ(files.lof(b), 11);
    files.close(b);
    EXPECT_FALSE(files.isOpen(b));
    EXPECT_THROW(files.printLine(b, "closed"), RuntimeError);
}

TEST_F(FileOpening, InputJoinsTheDirectoryAndChangesTheCallersName) {
    writeBytes(dir / "report.txt", "r");
    std::string name = "report.txt";
    int n = FileOpen(alg, name, "", "input", dir.str());
    ASSERT_GT(n, 0);
    EXPECT_EQ(name, dir / "report.txt");
    alg.files().close(n);

    name = "report.txt";
    n = FileOpen(alg, name, "", "INPUT", dir.str() + kPathSepText);  // the doubled separator is removed
    ASSERT_GT(n, 0);
    EXPECT_EQ(name, dir / "report.txt");
    alg.files().close(n);

    name = "sub/report.txt";  // a name with a separator is not joined
    EXPECT_EQ(FileOpen(alg, name, "", "INPUT", dir.str()), -1);
    EXPECT_TRUE(platform.asked.back().prompt.rfind("Kan bestand:sub/report.txt", 0) == 0);
}

TEST_F(FileOpening, ReplaceQuestionGuardsAnExistingFile) {
    const std::string file = dir / "keep.txt";
    writeBytes(file, "precious");
    std::string name = file;
    EXPECT_EQ(FileOpen(alg, name, "", "OUTPUT"), -1);  // Cancel
    EXPECT_EQ(readBytes(file), "precious");
    EXPECT_EQ(platform.msgBoxPrompts(), std::vector<std::string>{file});

    platform.asked.clear();
    std::string fresh = dir / "new.txt";  // nothing to replace: no question
    const int m = FileOpen(alg, fresh, "", "OUTPUT");
    EXPECT_GT(m, 0);
    EXPECT_TRUE(platform.asked.empty());
}

TEST_F(FileOpening, OutputQuUpperCasesTheChosenFilePart) {
    std::filesystem::create_directory(dir / "Temp");
    platform.fileAnswers.push_back(dir / "Temp/report.txt");
    std::string name;
    const int n = FileOpen(alg, name, "Tekst (*.txt)|*.txt", "OUTPUT-QU");
    ASSERT_GT(n, 0);
    EXPECT_EQ(name, dir / "Temp/REPORT.TXT");
    EXPECT_TRUE(std::filesystem::exists(dir / "Temp/REPORT.TXT"));
    ASSERT_EQ(platform.asked.size(), 1u);  // the new file needs no replace question
    EXPECT_EQ(platform.asked[0].prompt, "Geef de bestandsnaam:");
    EXPECT_EQ(platform.asked[0].title, "Tekst (*.txt)|*.txt");
}

TEST_F(FileOpening, AppendMakesEveryMissingLevelAfterAsking) {
    platform.msgBoxAnswers = {vbOK, vbOK};
    std::string name = dir / "New/Dir/x.log";
    const int n = FileOpen(alg, name, "", "APPEND");
    ASSERT_GT(n, 0);
    EXPECT_EQ(platform.msgBoxPrompts(), (std::vector<std::string>{dir / "New/Dir/", dir / "New/"}));
    // The case of the names is kept: on this file system "Dir" and "dir" differ.
    EXPECT_TRUE(std::filesystem::is_directory(dir / "New/Dir"));
    EXPECT_TRUE(std::filesystem::exists(dir / "New/Dir/x.log"));

    // Declining the upper level leaves nothing behind.
    ScriptedPlatform p2;
    Alg alg2(p2);
    p2.msgBoxAnswers = {vbOK, vbCancel};
    std::string other = dir / "A/B/y.log";
    EXPECT_EQ(FileOpen(alg2, other, "", "OUTPUT"), -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "A"));
}

TEST_F(FileOpening, InputOfAMissingFileFallsBackOnTheDialog) {
    writeBytes(dir / "other.txt", "o");
    std::string name = dir / "missing.txt";
    EXPECT_EQ(FileOpen(alg, name, "", "INPUT"), -1);
    EXPECT_EQ(name, "");
    ASSERT_EQ(platform.asked.size(), 1u);
    const auto& q = platform.asked[0];
    EXPECT_EQ(q.kind, ScriptedPlatform::Question::File);
    EXPECT_EQ(q.prompt, "Kan bestand:" + (dir / "missing.txt") + " niet vinden, geef de bestandsnaam");
    EXPECT_EQ(q.title, "Alle bestanden (*.*)|*.*");
    EXPECT_EQ(q.preset, "missing.txt");
    EXPECT_EQ(q.initDir, dir.str() + kPathSepText);
    EXPECT_EQ(q.style, 0);  // an open dialog

    name = dir / "missing.txt";
    platform.fileAnswers = {dir / "still-missing.txt", dir / "other.txt"};
    const int n = FileOpen(alg, name, "", "INPUT");
    EXPECT_GT(n, 0);
    EXPECT_EQ(name, dir / "other.txt");

    // Reading a missing file never makes an empty one.
    std::string bin = dir / "absent.bin";
    EXPECT_EQ(FileOpen(alg, bin, "", "INPUT-BINARY"), -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "absent.bin"));
}

TEST_F(FileOpening, UnknownModeWordsAndQuietModes) {
    std::string name = dir / "x.txt";
    EXPECT_EQ(FileOpen(alg, name, "", "READ"), -1);
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(box(platform.asked[0]), box("READ", "Onbekende open opdracht aangetroffen", vbOKOnly));
    EXPECT_FALSE(std::filesystem::exists(name));

    platform.asked.clear();
    std::string quiet = "absent.txt";
    EXPECT_EQ(FileOpen(alg, quiet, "", "INPUT-SHARED-NQ", dir.str()), -1);
    EXPECT_EQ(quiet, "absent.txt");  // the caller's name stays
    EXPECT_TRUE(platform.asked.empty());
    EXPECT_EQ(alg.screen().text(), "File: " + (dir / "absent.txt") + " Kan bestand niet vinden( 53)\r\n");
}

TEST_F(FileOpening, RunningOutOfFileNumbersIsReportedNotAskedAbout) {
    std::string name = dir / "many.txt";
    writeBytes(name, "m");
    for (int i = 1; i <= FileTable::kMaxFiles; ++i) ASSERT_EQ(FileOpen(alg, name, "", "INPUT"), i);
    EXPECT_EQ(FileOpen(alg, name, "", "INPUT"), -1);
    EXPECT_TRUE(platform.asked.empty());
    EXPECT_NE(alg.screen().text().find("( 67)"), std::string::npos);
    alg.files().close(17);
    EXPECT_EQ(FileOpen(alg, name, "", "INPUT"), 17);  // the lowest free number
}

TEST_F(FileOpening, WritingOneFileThroughTwoNumbersIsRefused) {
    std::string name = dir / "log.txt";
    const int n = FileOpen(alg, name, "", "APPEND");
    ASSERT_GT(n, 0);
    std::string again = name;
    EXPECT_EQ(FileOpen(alg, again, "", "APPEND"), -1);  // error 55, then the dialog is cancelled
    EXPECT_EQ(platform.asked.back().kind, ScriptedPlatform::Question::File);
}

TEST_F(MakingPaths, ReportsWhatItMadeAndRefusesNothingToMake) {
    EXPECT_EQ(MkPath(alg, dir / "Made/file.txt", "N", false, true), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Made"));
    EXPECT_EQ(alg.screen().text(), "Directory aangemaakt:" + (dir / "Made/") + "\r\n");
    EXPECT_TRUE(platform.asked.empty());
    // With MinstensEenByte the name is a directory and its parent is made.
    EXPECT_EQ(MkPath(alg, dir / "Parent/Child/", "N", true), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Parent"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Parent/Child"));
    EXPECT_EQ(MkPath(alg, dir / "Made/again.txt", "N", false), -1);  // already there
    EXPECT_EQ(MkPath(alg, "plain.txt", "J", false), -1);
    EXPECT_TRUE(platform.asked.empty());
}

TEST_F(FileOpening, OddNamesEndInMinusOneWithoutHarm) {
    const std::string names[] = {"",
                                 std::string("a\0b", 3),
                                 "/",
                                 ".",
                                 dir.str(),
                                 dir.str() + kPathSepText,
                                 dir / std::string(5000, 'n'),
                                 dir / "x/../../.."};
    for (const char* mode : {"INPUT", "OUTPUT", "APPEND", "BINARY", "INPUT-BINARY", "OUTPUT-BINARY-NQ",
                             "INPUT-SHARED-NQ", "BINARY-WRITE"}) {
        for (const std::string& original : names) {
            std::string name = original;
            int n = 0;
            EXPECT_NO_THROW(n = FileOpen(alg, name, "", mode, dir.str())) << mode;
            EXPECT_EQ(n, -1) << mode << " " << original.size();
        }
    }
    for (int i = 1; i <= FileTable::kMaxFiles; ++i) EXPECT_FALSE(alg.files().isOpen(i));
}
