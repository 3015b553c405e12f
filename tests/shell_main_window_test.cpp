#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "database/dbase.h"
#include "database/demo_database.h"
#include "platform/scripted_platform.h"
#include "runtime/dates.h"
#include "session/session.h"
#include "shell/command_line.h"
#include "shell/export_jobs_session.h"
#include "shell/mdi_zelk_extract2.h"
#include "shell/window_placement.h"
#include "support/test_files.h"

using namespace zelk;
namespace fs = std::filesystem;

namespace {

class FakeWindow : public MainWindowPort {
public:
    float screenWidth = 19200, screenHeight = 15360;
    TwipsRect place;
    WindowState state = WindowState::Normal;
    std::string caption;
    bool visible = false;
    bool timerOn = false;
    int timerInterval = 0;
    int dialogsUnloaded = 0;
    std::vector<bool> exportRunning;

    float ScreenWidth() const override { return screenWidth; }
    float ScreenHeight() const override { return screenHeight; }
    TwipsRect Placement() const override { return place; }
    void setPlacement(const TwipsRect& p) override { place = p; }
    WindowState State() const override { return state; }
    void setCaption(const std::string& c) override { caption = c; }
    bool Visible() const override { return visible; }
    void showMessageScreen() override { visible = true; }
    void armTimer(int ms) override {
        timerOn = true;
        timerInterval = ms;
    }
    void disableTimer() override { timerOn = false; }
    void unloadDialogs() override { ++dialogsUnloaded; }
    void setExportRunning(bool running) override { exportRunning.push_back(running); }
};

// One program on a scripted desktop, in a directory of its own (the log file
// lands in the current directory by default).
class ShellProgram : public ::testing::Test {
protected:
    void SetUp() override {
        oldCwd = fs::current_path();
        fs::current_path(dir);
        platform.store.set(kAppTitle, "Excel", "ExportDir", (dir / "werkmappen").string());
        session = std::make_unique<Session>(platform);
        session->alg.screen().setObserver({[this](std::size_t, const std::u32string& text, std::uint32_t colour) {
                                               lines.push_back({u32ToUtf8(text), colour, platform.ticks});
                                           },
                                           {},
                                           {}});
    }
    void TearDown() override {
        logic.reset();
        session.reset();
        fs::current_path(oldCwd);
    }

    void start(ExportJobs jobs, std::string commandLine = "") {
        logic = std::make_unique<MdiZelkExtract2>(*session, window, std::move(jobs), std::move(commandLine));
        logic->Form_Load();
    }
    // Fake jobs that count and write a line as an export does.
    ExportJobs countingJobs() {
        ExportJobs j;
        j.run = [this](ExportKind k, const ExportRequest& request) {
            runs.push_back(k);
            EXPECT_FALSE(request.processingDate.has_value());
            unattendedSeen.push_back(request.unattended);
            session->alg.AddMelding("export " + std::to_string(static_cast<int>(k)));
            return true;
        };
        j.keep = [this](ExportKind k, bool open) {
            kept.emplace_back(k, open);
            return saves;
        };
        return j;
    }
    // The exit status the program ended with, -1 when it did not end.
    template <typename Body>
    int exitStatusOf(Body body) {
        try {
            body();
        } catch (const ProgramEnded& e) {
            return e.exitCode;
        }
        return -1;
    }
    // Lets time pass on the fake clock; the armed timer ticks as it would.
    void advance(std::uint32_t ms) {
        for (std::uint32_t t = 0; t < ms; t += 1000) {
            platform.ticks += 1000;
            sinceTick += 1000;
            if (window.timerOn && sinceTick >= static_cast<std::uint32_t>(window.timerInterval)) {
                sinceTick = 0;
                logic->Timer1_Timer();
            }
        }
    }
    TwipsRect savedPlacement() const { return storedPlacement(platform.store, kAppTitle, 0, 0); }
    std::string logText() { return zelk::testing::readBytes(dir / (std::string(kAppTitle) + ".Log")); }
    int indexOf(const std::string& text) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].text == text + "\r\n") return static_cast<int>(i);
        return -1;
    }
    std::string demoDatabase() {
        const std::string path = (dir / "activa.sqlite").string();
        createDemoDatabase(path, DemoOptions{12, 3});
        return path;
    }

    struct Line {
        std::string text;
        std::uint32_t colour;
        std::uint32_t ticks;
    };
    zelk::testing::ScratchDir scratch;
    fs::path dir = scratch.path(), oldCwd;
    ScriptedPlatform platform;
    std::unique_ptr<Session> session;
    FakeWindow window;
    std::unique_ptr<MdiZelkExtract2> logic;
    std::vector<Line> lines;
    const Line& lineAt(int index) const { return lines.at(static_cast<std::size_t>(index)); }
    std::vector<ExportKind> runs;
    std::vector<bool> unattendedSeen;
    std::vector<std::pair<ExportKind, bool>> kept;
    bool saves = true;
    std::uint32_t sinceTick = 0;
};

}  // namespace

TEST(ShellCommandLine, ArgumentsFollowTheProgramName) {
    const char* none[] = {"zelkextract2"};
    EXPECT_EQ(commandLineText(1, none), "");
    const char* some[] = {"zelkextract2", "/auto", "C:\\Mijn Data\\zelk.mdb", ""};
    EXPECT_EQ(commandLineText(4, some), "/auto \"C:\\Mijn Data\\zelk.mdb\" \"\"");
}

TEST_F(ShellProgram, FirstStartWithoutSettingsAsksForTheDatabaseAndCloses) {
    start(countingJobs(), "-x 'y'");
    EXPECT_EQ(window.caption, "ZelkExtract-2 (Naar Excel), Versie 0.1.11");
    EXPECT_EQ(window.place, (TwipsRect{1920, 1536, 15360, 12288}));
    EXPECT_EQ(session->main.dbMain, -1);

    // The file dialog came first (no stored name), in the current directory.
    const auto file = std::find_if(platform.asked.begin(), platform.asked.end(),
                                   [](const auto& q) { return q.kind == ScriptedPlatform::Question::File; });
    ASSERT_NE(file, platform.asked.end());
    EXPECT_EQ(file->prompt, "Geef de naam van de ZelkExtract-2 (Naar Excel) database");
    EXPECT_EQ(fs::path(file->initDir), fs::current_path());
    EXPECT_FALSE(window.timerOn);

    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, "Welkom in ZelkExtract-2 (Naar Excel), Versie 0.1.11. dd. 20 februari 2009.\r\n");
    EXPECT_EQ(lines[0].colour, 6710784u);
    EXPECT_EQ(lines[1].text, "\r\n");
    EXPECT_EQ(lines[2].text, "Opdracht parameters: -x 'y'\r\n");
    EXPECT_EQ(lines[3].text, "ZelkExtract-2 (Naar Excel): Even geduld: Database wordt geopend\r\n");
    EXPECT_EQ(lines.back().text, "Opdracht parameters: Waar\r\n");
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].colour, 0u) << lines[i].text;

    window.place = TwipsRect{300, 450, 9000, 6000};
    EXPECT_THROW(logic->requestClose(), ProgramEnded);
    const std::string log = logText();
    EXPECT_EQ(log.find("Welkom in ZelkExtract-2 (Naar Excel), Versie 0.1.11. dd. 20 februari 2009.\r\n\r\n"
                       "Opdracht parameters: -x 'y'\r\n"),
              0u);
    EXPECT_NE(log.find("Opdracht parameters: Waar\r\n" + std::string(80, '-') + "\r\n\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 84), std::string(80, '-') + "\r\n\r\n");
    EXPECT_EQ(savedPlacement(), (TwipsRect{300, 450, 9000, 6000}));
    EXPECT_EQ(platform.store.value(kAppTitle, "Database", "Database", "(geen)"), "(geen)");
}

TEST_F(ShellProgram, PlacementIsRestoredAndKeptOnlyFromTheNormalWindow) {
    storePlacement(platform.store, kAppTitle, TwipsRect{900, 600, 12000, 8000});
    start(countingJobs());
    EXPECT_EQ(window.place, (TwipsRect{900, 600, 12000, 8000}));
    window.place = TwipsRect{0, 0, 19200, 15000};
    for (WindowState state : {WindowState::Maximized, WindowState::Minimized}) {
        window.state = state;
        EXPECT_THROW(logic->Form_Unload(), ProgramEnded);
        EXPECT_EQ(savedPlacement(), (TwipsRect{900, 600, 12000, 8000}));
    }
}

TEST_F(ShellProgram, AutorunExportsFiveSecondsAfterStartAndEndsThreeSecondsAfterIt) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    platform.clock = makeDateTime({2026, 12, 6, 10, 15, 3});
    start(countingJobs());
    ASSERT_GT(session->main.dbMain, 0);
    const int opened =
        indexOf("ZelkExtract-2 (Naar Excel): Database '" + (dir / "activa.sqlite").string() + "' is geopend.");
    const int waiting = indexOf("Wacht tot Autorun start");
    ASSERT_GE(opened, 0);
    EXPECT_EQ(waiting, opened + 1);
    EXPECT_TRUE(window.timerOn);
    EXPECT_EQ(window.timerInterval, 5000);
    EXPECT_TRUE(platform.asked.empty());  // the stored name opened without a dialog

    const std::uint32_t started = platform.ticks;
    advance(4000);
    EXPECT_TRUE(runs.empty());
    try {
        advance(1000);
        FAIL() << "the autorun did not end the program";
    } catch (const ProgramEnded& e) {
        EXPECT_EQ(e.exitCode, 0);
    }
    const int begun = indexOf("6-12-2026-10:15:03 Autorun gestart");
    const int ended = indexOf("6-12-2026-10:15:03 Autorun beeindigd");
    ASSERT_GE(begun, 0);
    ASSERT_GT(ended, begun);
    EXPECT_EQ(lineAt(begun).ticks - started, 5000u);
    EXPECT_EQ(lineAt(begun + 1).text, "export 0\r\n");
    EXPECT_EQ(lineAt(begun + 3).text, "export 2\r\n");
    EXPECT_EQ(lineAt(ended + 1).text, std::string(80, '-') + "\r\n");
    EXPECT_EQ(lineAt(ended + 1).ticks - lineAt(ended).ticks, 3000u);
    EXPECT_EQ(runs, (std::vector<ExportKind>{ExportKind::Roerend, ExportKind::Onroerend, ExportKind::Mapping}));
    EXPECT_EQ(unattendedSeen, (std::vector<bool>{true, true, true}));
    for (const auto& [kind, open] : kept) EXPECT_FALSE(open);
    EXPECT_EQ(kept.size(), 3u);
    EXPECT_FALSE(window.timerOn);
    EXPECT_EQ(window.exportRunning, (std::vector<bool>{true, false}));
}

TEST_F(ShellProgram, AutorunExitStatusSaysWhetherEveryWorkbookWasSaved) {
    // A workbook that is not saved: the run goes on as always, and ends
    // with a status a scheduler sees.
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    platform.clock = makeDateTime({2026, 12, 6, 10, 15, 3});
    start(countingJobs());
    saves = false;
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 1);
    EXPECT_EQ(kept.size(), 3u);
    const int ended = indexOf("6-12-2026-10:15:03 Autorun beeindigd");
    ASSERT_GE(ended, 0);
    EXPECT_EQ(lineAt(ended + 1).text, std::string(80, '-') + "\r\n");

    // Only the last one unsaved is enough.
    logic.reset();
    kept.clear();
    int saved = 0;
    ExportJobs lastUnsaved = countingJobs();
    lastUnsaved.keep = [&](ExportKind, bool) { return ++saved < 3; };
    start(lastUnsaved);
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 1);
    EXPECT_EQ(saved, 3);

    // Switched off before the first tick: the autorun never ran.
    logic.reset();
    start(countingJobs());
    platform.store.set(kAppTitle, "Database", "Autorun", "0");
    advance(5000);
    EXPECT_EQ(exitStatusOf([&] { logic->requestClose(); }), 1);

    // Without autorun a close is no failure.
    logic.reset();
    window.timerOn = false;
    start(countingJobs());
    EXPECT_FALSE(window.timerOn);
    EXPECT_EQ(exitStatusOf([&] { logic->requestClose(); }), 0);
}

TEST_F(ShellProgram, AutorunWaitsWhileTheParametersDialogIsOpenAndForASwitchThatIsOn) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    start(countingJobs());
    FrmParameters::Fields f = logic->parameters().Form_Load();
    advance(10000);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(lines.back().text, "Autorun suspended. Parameterscherm actief.\r\n");
    EXPECT_EQ(lines[lines.size() - 2].text, "Autorun suspended. Parameterscherm actief.\r\n");
    EXPECT_TRUE(window.timerOn);

    // Switched off in the dialog: the ticks go on and do nothing.
    f.chkAutoRun = 0;
    logic->parameters().Form_Unload(f);
    EXPECT_TRUE(platform.replyTimeout().has_value());
    const std::size_t before = lines.size();
    advance(15000);
    EXPECT_EQ(lines.size(), before);
    EXPECT_TRUE(runs.empty());
    EXPECT_FALSE(platform.replyTimeout().has_value());  // questions wait for the user again

    // A stored text that is no number counts as off, and says so.
    platform.store.set(kAppTitle, "Database", "Autorun", "ja");
    advance(5000);
    EXPECT_EQ(lines.back().text, "Ongeldige waarde voor Autorun: 'ja'\r\n");
    EXPECT_TRUE(runs.empty());

    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    EXPECT_THROW(advance(5000), ProgramEnded);
    EXPECT_EQ(runs.size(), 3u);
}

TEST_F(ShellProgram, InvalidAutorunDoesNotArmTheTimer) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "aan");
    start(countingJobs());
    EXPECT_GE(indexOf("Ongeldige waarde voor Autorun: 'aan'"), 0);
    EXPECT_LT(indexOf("Wacht tot Autorun start"), 0);
    EXPECT_FALSE(window.timerOn);
}

TEST_F(ShellProgram, CommandsDuringAnExportWaitForItOrAreRefused) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    start(countingJobs());
    const int db = session->main.dbMain;
    ASSERT_GT(db, 0);

    // While the first export writes its line, the user picks another export,
    // another database and Einde, and the autorun timer ticks.
    bool once = false;
    platform.onDoEvents = [&] {
        if (once || runs.empty()) return;
        once = true;
        EXPECT_TRUE(logic->Busy());
        logic->Command(MenuCommand::Sheet2);
        logic->Command(MenuCommand::Exporteer);
        logic->Command(MenuCommand::OpenDatabase);
        logic->Timer1_Timer();
        logic->Command(MenuCommand::Einde);
        logic->requestClose();
    };
    // The close asked for during the export follows it.
    EXPECT_THROW(logic->Command(MenuCommand::Sheet1), ProgramEnded);
    EXPECT_EQ(runs, std::vector<ExportKind>{ExportKind::Roerend});
    EXPECT_EQ(kept, (std::vector<std::pair<ExportKind, bool>>{{ExportKind::Roerend, true}}));
    EXPECT_EQ(window.exportRunning, (std::vector<bool>{true, false}));
    EXPECT_EQ(window.dialogsUnloaded, 0);
    EXPECT_EQ(session->main.dbMain, db);              // the database stayed open under the export
    EXPECT_TRUE(session->dbase.DbOpen(db) == false);  // and was closed by the close handler after it
    const int pending = indexOf("Het programma wordt afgesloten zodra het lopende werk klaar is.");
    ASSERT_GE(pending, 0);
    EXPECT_EQ(indexOf("export 0"), pending - 1);
    EXPECT_EQ(lineAt(pending + 1).text, std::string(80, '-') + "\r\n");
    EXPECT_EQ(unattendedSeen, std::vector<bool>{false});  // a menu export asks its questions
}

TEST_F(ShellProgram, OpenAndereDatabaseClosesTheOldOneFirst) {
    const std::string path = demoDatabase();
    platform.store.set(kAppTitle, "Database", "Database", path);
    start(countingJobs());
    ASSERT_GT(session->main.dbMain, 0);
    const int old = session->main.dbMain;
    logic->Command(MenuCommand::OpenDatabase);  // the dialog is cancelled
    EXPECT_EQ(session->main.dbMain, -1);
    EXPECT_FALSE(session->dbase.DbOpen(old));
    EXPECT_EQ(window.dialogsUnloaded, 1);
    EXPECT_GE(indexOf("Database " + path + " wordt gesloten."), 0);
    EXPECT_EQ(platform.asked.back().kind, ScriptedPlatform::Question::MsgBox);  // "... is afgebroken"
    EXPECT_EQ(platform.store.value(kAppTitle, "Database", "Database", ""), path);

    // Chosen in the dialog: both settings name the new database.
    fs::copy_file(path, dir / "ander.sqlite");
    platform.fileAnswers.push_back((dir / "ander.sqlite").string());
    logic->Command(MenuCommand::OpenDatabase);
    ASSERT_GT(session->main.dbMain, 0);
    EXPECT_EQ(platform.store.value(kAppTitle, "Database", "Database", ""), (dir / "ander.sqlite").string());
    EXPECT_EQ(platform.store.value(kAppTitle, "Database", "CurDir", ""), (dir / "ander.sqlite").string());
}

TEST_F(ShellProgram, RealExportsUnattendedByAutorunAndAskingFromTheMenu) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    start(SessionExportJobs(*session));
    ASSERT_GT(session->main.dbMain, 0);

    // From the menu: the processing date is asked, the workbook is kept and
    // opened for the user.
    platform.inputAnswers.push_back("31-12-2025");
    logic->Command(MenuCommand::Sheet1);
    ASSERT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.asked[0].prompt, "Geef verwerkingsdatum");
    ASSERT_EQ(platform.openedDocuments.size(), 1u);
    const fs::path roerend = platform.openedDocuments[0];
    EXPECT_EQ(roerend.parent_path(), dir / "werkmappen");
    EXPECT_EQ(roerend.filename().string().rfind("ZELK-Extract-1 Roerend ", 0), 0u);
    EXPECT_TRUE(fs::exists(roerend));
    EXPECT_EQ(lines.back().text, "Werkmap opgeslagen: " + roerend.string() + "\r\n");
    EXPECT_FALSE(platform.progressCalls.empty());

    // The autorun: three exports, nothing asked, three workbooks only saved.
    EXPECT_THROW(advance(5000), ProgramEnded);
    EXPECT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(platform.openedDocuments.size(), 1u);
    std::string flow;
    for (const auto& l : lines) {
        for (const char* key : {"Autorun gestart", "Export1a wordt opgestart", "Export1b wordt opgestart",
                                "Export2 wordt opgestart", "Done", "Werkmap opgeslagen", "Autorun beeindigd"})
            if (l.text.find(key) != std::string::npos) flow += std::string(key) + "; ";
    }
    EXPECT_EQ(flow,
              "Export1a wordt opgestart; Done; Werkmap opgeslagen; Autorun gestart; Export1a wordt opgestart; "
              "Done; Werkmap opgeslagen; Export1b wordt opgestart; Done; Werkmap opgeslagen; "
              "Export2 wordt opgestart; Done; Werkmap opgeslagen; Autorun beeindigd; ");
    std::size_t workbooks = 0;
    for (const auto& e : fs::directory_iterator(dir / "werkmappen")) workbooks += e.path().extension() == ".xlsx";
    EXPECT_EQ(workbooks, 4u);
}

TEST_F(ShellProgram, StoppenEndsTheRunningExportAndKeepsNothing) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    start(SessionExportJobs(*session));
    ASSERT_GT(session->main.dbMain, 0);
    // Nothing runs: nothing to stop, and nothing left over for the next export.
    logic->requestStop();
    EXPECT_FALSE(platform.stopReason());

    // Pressed once the workbook is started, before its rows are written.
    platform.onDoEvents = [&] {
        if (indexOf("Excel is opgestart") >= 0) logic->requestStop();
    };
    platform.inputAnswers.push_back("31-12-2025");
    logic->Command(MenuCommand::Sheet1);
    EXPECT_TRUE(platform.openedDocuments.empty());
    EXPECT_FALSE(fs::exists(dir / "werkmappen") && !fs::is_empty(dir / "werkmappen"));
    EXPECT_GE(indexOf("Het lopende werk wordt gestopt."), 0);
    EXPECT_LT(indexOf("Done"), 0);
    const auto boxes = platform.msgBoxPrompts();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), "De functie 'Aanmaken overzicht 1a' niet correct beëindigd");
    EXPECT_EQ(platform.asked.back().title, "Gestopt op verzoek van de gebruiker (3059)");
    EXPECT_FALSE(platform.stopReason());  // the next export starts afresh

    platform.onDoEvents = nullptr;
    platform.inputAnswers.push_back("31-12-2025");
    logic->Command(MenuCommand::Sheet1);
    EXPECT_EQ(platform.openedDocuments.size(), 1u);
}

TEST_F(ShellProgram, TheAutorunEndsAtItsTimeLimit) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    platform.store.set(kAppTitle, "Database", "AutorunMaxMinuten", "2");
    // The first export takes three minutes: at its end the limit has passed,
    // and the others do not start.
    ExportJobs slow = countingJobs();
    const auto count = slow.run;
    std::optional<std::string> seen;
    slow.run = [&](ExportKind k, const ExportRequest& r) {
        EXPECT_FALSE(platform.stopReason());
        platform.ticks += 3 * 60000;
        seen = platform.stopReason();
        return count(k, r);
    };
    start(slow);
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 1);
    EXPECT_EQ(runs, std::vector<ExportKind>{ExportKind::Roerend});
    EXPECT_EQ(seen, "De Autorun is gestopt: de grens van 2 minuten is bereikt");
    EXPECT_GE(indexOf("6-12-2026-0:00:00 Autorun beeindigd"), 0);

    // A limit that is no number of minutes: the default hour, said once.
    logic.reset();
    runs.clear();
    platform.store.set(kAppTitle, "Database", "AutorunMaxMinuten", "lang");
    start(slow);
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 0);
    EXPECT_EQ(runs.size(), 3u);
    EXPECT_GE(indexOf("Ongeldige waarde voor AutorunMaxMinuten: 'lang'"), 0);

    // The real export meets the limit between its rows and fails.
    logic.reset();
    platform.store.set(kAppTitle, "Database", "AutorunMaxMinuten", "1");
    ExportJobs real = SessionExportJobs(*session);
    bool late = false;
    platform.onDoEvents = [&] {
        if (late || indexOf("Excel is opgestart") < 0) return;
        late = true;
        platform.ticks += 2 * 60000;
    };
    start(real);
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 1);
    EXPECT_EQ(platform.asked.back().title, "De Autorun is gestopt: de grens van 1 minuten is bereikt (3059)");
}

TEST_F(ShellProgram, AnotherPasswordIsAskedMaskedAndGoesNowhere) {
    ZELK_NEEDS_FIXTURES();
    // Under a name of its own, so that only the password itself could give
    // the word away.
    const fs::path db = dir / "beveiligd.mdb";
    fs::copy_file(fs::path(ZELK_FIXTURES_DIR) / "access" / "V2003_with-password.mdb", db);
    platform.store.set(kAppTitle, "Database", "Database", db.string());
    platform.msgBoxAnswers.push_back(vbYes);  // "Wilt u een wachtwoord opgeven?"
    platform.inputAnswers.push_back("password");
    start(countingJobs());
    ASSERT_GT(session->main.dbMain, 0);  // the built-in password did not fit; the typed one did
    const auto input = std::find_if(platform.asked.begin(), platform.asked.end(),
                                    [](const auto& q) { return q.kind == ScriptedPlatform::Question::Input; });
    ASSERT_NE(input, platform.asked.end());
    EXPECT_EQ(input->style, 1);  // masked
    for (const auto& [key, value] : platform.store.all()) {
        EXPECT_EQ(value.find("password"), std::string::npos) << std::get<2>(key);
        EXPECT_EQ(value.find("vastactiva"), std::string::npos) << std::get<2>(key);
    }
    EXPECT_THROW(logic->requestClose(), ProgramEnded);
    const std::string log = logText();
    EXPECT_EQ(log.find("password"), std::string::npos);
    EXPECT_EQ(log.find("vastactiva"), std::string::npos);
}

TEST_F(ShellProgram, UnderAutorunUnansweredQuestionsTakeTheirSafeAnswerAfterAMinute) {
    // Nobody there, the stored database gone and the log file's place taken
    // by a directory: every question times out and, without a database, the
    // run ends at the first tick.
    fs::create_directory(dir / (std::string(kAppTitle) + ".Log"));
    platform.store.set(kAppTitle, "Database", "Database", (dir / "weg.sqlite").string());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    platform.userAway = true;
    const std::uint32_t begin = platform.ticks;
    start(countingJobs());
    EXPECT_EQ(session->main.dbMain, -1);
    ASSERT_GE(platform.asked.size(), 3u);
    EXPECT_EQ(platform.ticks - begin, 60000u * platform.asked.size());

    std::vector<std::string> timedOut;
    for (const auto& l : lines)
        if (l.text.rfind("Geen antwoord binnen 60 seconden op '", 0) == 0) timedOut.push_back(l.text);
    ASSERT_EQ(timedOut.size(), platform.asked.size());
    EXPECT_NE(timedOut[0].find("niet vinden, geef de bestandsnaam', beantwoord met 'Annuleren'"), std::string::npos)
        << timedOut[0];
    EXPECT_EQ(std::count(timedOut.begin(), timedOut.end(),
                         "Geen antwoord binnen 60 seconden op 'Geef de naam van de ZelkExtract-2 (Naar Excel) "
                         "database', beantwoord met 'Annuleren'\r\n"),
              1);
    EXPECT_EQ(timedOut.back(), "Geen antwoord binnen 60 seconden op 'Open database '" + (dir / "weg.sqlite").string() +
                                   "' is afgebroken', beantwoord met 'OK'\r\n");
    EXPECT_GE(indexOf("Wacht tot Autorun start"), 0);
    ASSERT_TRUE(window.timerOn);
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 1);  // nothing was exported
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(lines.back().text, "\r\n");
    EXPECT_EQ(lines[lines.size() - 2].text, std::string(80, '-') + "\r\n");
}

TEST_F(ShellProgram, UnderAutorunAFailedExportsBoxIsAnsweredAndLogged) {
    platform.store.set(kAppTitle, "Database", "Database", demoDatabase());
    platform.store.set(kAppTitle, "Database", "Autorun", "1");
    ExportJobs failing;
    failing.run = [this](ExportKind k, const ExportRequest&) {
        runs.push_back(k);
        session->alg.AddMsgBoxMelding(Variant("De functie 'Aanmaken overzicht 1a' niet correct beëindigd"),
                                      Variant("Foutje"), vbCritical, false, kBlack, true);
        return false;
    };
    start(failing);
    ASSERT_GT(session->main.dbMain, 0);
    platform.userAway = true;
    const std::uint32_t begin = platform.ticks;
    EXPECT_EQ(exitStatusOf([&] { advance(5000); }), 1);
    EXPECT_EQ(runs.size(), 3u);
    EXPECT_EQ(platform.ticks - begin, 5000u + 3 * 60000u + 3000u);
    const std::string line =
        "Geen antwoord binnen 60 seconden op 'Foutje: De functie 'Aanmaken overzicht 1a' niet "
        "correct beëindigd', beantwoord met 'OK'";
    EXPECT_GE(indexOf(line), 0);
    // The log keeps its own code page; the line is there once per export.
    const std::string log = logText();
    std::size_t inLog = 0;
    for (std::size_t at = 0;
         (at = log.find("Geen antwoord binnen 60 seconden op 'Foutje: De functie", at)) != std::string::npos; ++at)
        ++inLog;
    EXPECT_EQ(inLog, 3u);
}

TEST_F(ShellProgram, WithoutAutorunQuestionsWaitForTheUser) {
    platform.store.set(kAppTitle, "Database", "Database", (dir / "weg.sqlite").string());
    platform.userAway = true;
    EXPECT_THROW(start(countingJobs()), WaitedForever);
    EXPECT_FALSE(platform.replyTimeout().has_value());
}
