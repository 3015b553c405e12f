#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "messages/alg.h"
#include "platform/scripted_platform.h"
#include "support/alg_fixture.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::box;
using zelk::testing::readBytes;

struct MessageLines : zelk::testing::AlgFixture {};
struct LogFile : zelk::testing::AlgFixture {};

TEST_F(MessageLines, TrimCutsAtTheFirstLineFeedFromPosition32000) {
    // A line feed at position 31999 lies before the window and must not be used;
    // the next one, at 32010, is where the cut ends.
    alg.AddMelding(std::string(31997, 'a'));               // CR at 31998, LF at 31999
    alg.AddMelding(std::string(9, 'b'));                   // LF at 32010
    alg.AddMelding(std::string(128000 - 32010 - 2, 'c'));  // screen exactly 128000 long
    ASSERT_EQ(alg.screen().size(), 128000u);

    alg.AddMelding("d");  // 128000 is not more than 128000: nothing is cut
    ASSERT_EQ(alg.screen().size(), 128003u);
    EXPECT_EQ(alg.screen().text32().substr(0, 3), U"aaa");

    alg.AddMelding("e", 0, false, kRed);
    const std::u32string& t = alg.screen().text32();
    EXPECT_EQ(t.size(), 128003u - 32010 + 3 + 3);
    EXPECT_EQ(t.substr(0, 4), U">\r\nc");
    EXPECT_EQ(t.substr(t.size() - 6), U"d\r\ne\r\n");
    EXPECT_EQ(alg.screen().colourAt(t.size() - 3), kRed);
    EXPECT_EQ(alg.screen().colourAt(0), kBlack);
}

TEST_F(MessageLines, WithoutALineFeedTheMarkerIsOnlyPutInFront) {
    alg.AddMelding(std::string(130000, 'x'), kFaseNoLineBreak);
    alg.AddMelding("y", kFaseNoLineBreak);
    alg.AddMelding("z", kFaseNoLineBreak);
    const std::u32string& t = alg.screen().text32();
    EXPECT_EQ(t.size(), 130000u + 3 + 1 + 3 + 1);
    EXPECT_EQ(t.substr(0, 7), U">\r\n>\r\nx");
    EXPECT_EQ(t.substr(t.size() - 2), U"yz");
}

TEST_F(MessageLines, FaseEightJoinsScreenLinesButNotLogLines) {
    std::string name = dir / "run.log";
    alg.OpenLogFile(name, "Append", 1);
    ASSERT_GT(alg.LogFileNumber, 0);

    alg.AddMelding("Open Database: ", kFaseNoLineBreak);
    alg.AddMelding("zelk.mdb");
    alg.AddMelding("");
    alg.AddMelding("greeting", 1, false, kGreeting);  // other bits change nothing
    EXPECT_EQ(alg.screen().text(), "Open Database: zelk.mdb\r\n\r\ngreeting\r\n");
    EXPECT_EQ(readBytes(name), "Open Database: \r\nzelk.mdb\r\n\r\ngreeting\r\n");
    EXPECT_EQ(platform.doEventsCalls, 4);  // once per line
}

TEST_F(MessageLines, StartpuntPutsTheNewestLineOnTopWhileTheLogKeepsCallOrder) {
    std::string name = dir / "run.log";
    alg.OpenLogFile(name, "Append", 1);
    std::vector<std::string> inserted;
    MessageScreen::Observer obs;
    obs.inserted = [&](std::size_t at, const std::u32string& s, std::uint32_t) {
        inserted.push_back(std::to_string(at) + ":" + u32ToUtf8(s));
    };
    alg.screen().setObserver(obs);

    alg.AddMelding("first");
    alg.AddMelding("second", 0, true, kRed);
    alg.AddMelding("third");
    EXPECT_EQ(alg.screen().text(), "second\r\nfirst\r\nthird\r\n");
    EXPECT_EQ(alg.screen().colourAt(0), kRed);
    EXPECT_EQ(alg.screen().colourAt(8), kBlack);
    EXPECT_EQ(readBytes(name), "first\r\nsecond\r\nthird\r\n");
    EXPECT_EQ(inserted, (std::vector<std::string>{"0:first\r\n", "0:second\r\n", "15:third\r\n"}));

    alg.ClearAlg();
    EXPECT_EQ(alg.screen().size(), 0u);
    alg.PrintAlg();  // prints nothing, changes nothing
    EXPECT_EQ(alg.screen().size(), 0u);
}

TEST_F(MessageLines, AfdrukkenMeldingenPrintsTheSelectionOrElseEverythingInItsColours) {
    alg.AddMelding("Open Database: ", kFaseNoLineBreak);
    alg.AddMelding("demo.sqlite", 0, false, kGreeting);
    alg.AddMelding("Fout # 3024", 0, false, kRed);
    auto printed = [&] {
        alg.AfdrukkenMeldingen();
        std::string out;
        for (const PrintPiece& p : platform.printed.back().second) out += "[" + std::to_string(p.colour) + "]" + p.text;
        EXPECT_EQ(platform.printed.back().first, "Meldingen");
        return out;
    };
    // Nothing selected: the whole text, one line break for each CR LF.
    EXPECT_EQ(printed(), "[0]Open Database: [6710784]demo.sqlite\n[255]Fout # 3024\n");

    // A selection from inside the name to the middle of a CR LF pair.
    alg.screen().select(20, 7);
    EXPECT_EQ(printed(), "[6710784]sqlite\n");
    alg.screen().select(26, 1000);  // clipped to the end of the text
    EXPECT_EQ(printed(), "[6710784]\n[255]Fout # 3024\n");

    // A new line moves the screen's caret, so the selection is gone.
    alg.screen().select(0, 4);
    alg.AddMelding("klaar");
    EXPECT_EQ(printed(), "[0]Open Database: [6710784]demo.sqlite\n[255]Fout # 3024\n[0]klaar\n");
    alg.ClearAlg();
    EXPECT_EQ(printed(), "");
}

TEST_F(MessageLines, MessageBoxesAddTheirLineAndAskThePlatform) {
    alg.AddMsgBoxMelding("Maximum aantal databases = 40", "", 64, false, kBlack, false);
    alg.AddMsgBoxMelding("Kan niet", "Bestand zoeken", 16, false, kRed, true);
    platform.msgBoxAnswers.push_back(vbYes);
    EXPECT_EQ(alg.AddMsgBoxMeldingJN("Wachtwoord?", "Database", 32), vbYes);
    EXPECT_EQ(alg.AddMsgBoxMeldingJN("Nog eens?", "", 32), vbNo);  // unanswered: the safe No
    EXPECT_EQ(
        alg.screen().text(),
        "Maximum aantal databases = 40\r\nKan niet\r\nBestand zoeken\r\nWachtwoord?\r\nDatabase\r\nNog eens?\r\n");
    ASSERT_EQ(platform.asked.size(), 3u);
    EXPECT_EQ(box(platform.asked[0]), box("Bestand zoeken", "Kan niet", 16));
    EXPECT_EQ(box(platform.asked[1]), box("Database", "Wachtwoord?", 32 | vbYesNo));
    EXPECT_EQ(box(platform.asked[2]), box("", "Nog eens?", 32 | vbYesNo));
}

TEST_F(LogFile, AppendsWindows1252LinesWithCrLfAcrossRuns) {
    const std::string name = dir / "zelk.log";
    platform.store.set(kAppTitle, "Main", "LogFile", name);
    {
        Alg firstRun(platform);
        std::string logName;  // empty: the stored name is used and handed back
        firstRun.OpenLogFile(logName, "Append", 1, "/ignored/by/append");
        EXPECT_EQ(logName, name);
        EXPECT_GT(firstRun.LogFileNumber, 0);
        firstRun.AddMelding("De functie 'Export1a' niet correct beëindigd");
        firstRun.AddMelding("€ and ā");  // the euro is in the code page, a-macron is not
    }
    {
        Alg secondRun(platform);
        std::string logName = name;
        secondRun.OpenLogFile(logName, "APPEND", 1);
        secondRun.AddMelding(Variant::null());  // Null is logged as an empty line
        secondRun.AddMelding(Variant(std::int32_t{42}));
    }
    EXPECT_EQ(readBytes(name), "De functie 'Export1a' niet correct be\xEBindigd\r\n\x80 and ?\r\n\r\n42\r\n");
    EXPECT_EQ(platform.store.value(kAppTitle, "Main", "CommandMode", ""), "1");
    EXPECT_EQ(platform.store.value(kAppTitle, "Main", "LogFile", ""), name);
}

TEST_F(LogFile, AFifoOrADeviceIsRefusedInsteadOfWaitedFor) {
#ifdef _WIN32
    GTEST_SKIP() << "planted with a POSIX FIFO";
#else
    // Opening a FIFO to append to it would wait for a reader for ever.
    const std::string fifo = dir / "zelk.log";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string name = fifo;
    alg.OpenLogFile(name, "Append", 1);
    EXPECT_LE(alg.LogFileNumber, 0);
    // The refusal asks for another file, as for any log that does not open.
    ASSERT_FALSE(platform.asked.empty());
    EXPECT_EQ(platform.asked.back().kind, ScriptedPlatform::Question::File);
    EXPECT_EQ(platform.store.value(kAppTitle, "Main", "LogFile", ""), "");
#endif
}

TEST_F(LogFile, CommandModeWithoutBitOneKeepsTheLogSilent) {
    std::string name = dir / "quiet.log";
    alg.OpenLogFile(name, "Append", 2);
    EXPECT_GT(alg.LogFileNumber, 0);
    alg.AddMelding("not in the log");
    EXPECT_EQ(readBytes(name), "");
    EXPECT_EQ(alg.screen().text(), "not in the log\r\n");
}

TEST_F(LogFile, AMissingDirectoryIsAskedForAndMadeOrTheLogStaysClosed) {
    std::string name = dir / "Logs/Zelk/run.log";
    platform.msgBoxAnswers = {vbOK, vbOK};
    alg.OpenLogFile(name, "Append", 1);
    ASSERT_GT(alg.LogFileNumber, 0);
    // Deepest level first; the names keep their case.
    EXPECT_EQ(platform.msgBoxPrompts(), (std::vector<std::string>{dir / "Logs/Zelk/", dir / "Logs/"}));
    EXPECT_EQ(box(platform.asked[0]), box("Pad bestaat niet. Dit pad aanmaken?", dir / "Logs/Zelk/", vbOKCancel));
    alg.AddMelding("made");
    EXPECT_EQ(readBytes(dir / "Logs/Zelk/run.log"), "made\r\n");
    {
        ScriptedPlatform otherPlatform;
        Alg otherAlg(otherPlatform);
        std::string otherName = dir / "Other/run.log";
        otherPlatform.store.set(kAppTitle, "Main", "LogFile", "vorige.log");
        otherAlg.OpenLogFile(otherName, "Append", 1);  // the question is cancelled
        EXPECT_EQ(otherAlg.LogFileNumber, -1);
        // The next start still finds the log it used before.
        EXPECT_EQ(otherPlatform.store.value(kAppTitle, "Main", "LogFile", ""), "vorige.log");
        EXPECT_EQ(otherPlatform.msgBoxPrompts().size(), 1u);
        otherAlg.AddMelding("screen only");
        EXPECT_FALSE(std::filesystem::exists(dir / "Other"));
        EXPECT_EQ(otherAlg.screen().text(), "screen only\r\n");
    }
    {
        // A directory that cannot be made (a file stands in its way): the user
        // agrees every time and still the log stays closed, without a loop.
        ScriptedPlatform otherPlatform;
        Alg otherAlg(otherPlatform);
        zelk::testing::writeBytes(dir / "blocker", "x");
        std::string otherName = dir / "blocker/sub/run.log";
        otherPlatform.msgBoxAnswers = {vbOK, vbOK, vbOK, vbOK};
        otherAlg.OpenLogFile(otherName, "Append", 1);
        EXPECT_EQ(otherAlg.LogFileNumber, -1);
        EXPECT_LE(otherPlatform.msgBoxPrompts().size(), 2u);
        otherAlg.AddMelding("nothing logged");
        EXPECT_EQ(readBytes(dir / "blocker"), "x");
    }
}

TEST_F(LogFile, ReopeningReplacesTheOldLog) {
    std::string first = dir / "a.log";
    std::string second = dir / "b.log";
    alg.OpenLogFile(first, "Append", 1);
    const int n = alg.LogFileNumber;
    alg.OpenLogFile(second, "Append", 1);
    EXPECT_EQ(alg.LogFileNumber, n);  // the old number was given back first
    alg.AddMelding("to b");
    EXPECT_EQ(readBytes(first), "");
    EXPECT_EQ(readBytes(second), "to b\r\n");
}
