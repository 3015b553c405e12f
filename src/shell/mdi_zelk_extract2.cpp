#include "shell/mdi_zelk_extract2.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "runtime/dates.h"
#include "runtime/product.h"
#include "runtime/text.h"
#include "session/session.h"
#include "shell/msg_wait.h"
#include "shell/setting_numbers.h"
#include "shell/window_placement.h"

namespace zelk {
namespace {

std::string oneLine(const std::string& text) {
    std::string line = plainLines(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

std::string unansweredLine(const UnansweredQuestion& q, std::chrono::milliseconds limit) {
    const std::string prompt = oneLine(q.prompt);
    const std::string question = q.title.empty() ? prompt : prompt.empty() ? q.title : q.title + ": " + prompt;
    return "Geen antwoord binnen " + std::to_string(limit.count() / 1000) + " seconden op '" + question +
           "', beantwoord met '" + q.answer + "'";
}

}  // namespace

// Marks the time in which commands must not start work of their own. An
// export also switches the window's export commands off.
class MdiZelkExtract2::BusyScope {
public:
    BusyScope(MdiZelkExtract2& w, bool exporting) : w_(w), exporting_(exporting && !w.exporting_) {
        ++w_.busy_;
        if (exporting_) {
            // A stop asked for before (a late Esc) is not this export's.
            w_.s_.platform.clearStop();
            w_.exporting_ = true;
            w_.window_.setExportRunning(true);
        }
    }
    ~BusyScope() {
        if (exporting_) {
            w_.s_.platform.clearStop();
            w_.exporting_ = false;
            w_.window_.setExportRunning(false);
        }
        --w_.busy_;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    MdiZelkExtract2& w_;
    bool exporting_;
};

MdiZelkExtract2::MdiZelkExtract2(Session& session, MainWindowPort& window, ExportJobs jobs, std::string commandLine)
    : s_(session),
      window_(window),
      jobs_(std::move(jobs)),
      commandLine_(std::move(commandLine)),
      parameters_(session.platform.settings(), session.main),
      opties_(session.platform, session.main) {}

MdiZelkExtract2::~MdiZelkExtract2() { followAutorun(false); }

void MdiZelkExtract2::Form_Load() {
    {
        BusyScope busy(*this, false);
        MainValues& m = s_.main;
        SettingsStore& settings = s_.platform.settings();
        m.Debugmode = true;
        m.Testmode = false;
        m.ParmLoaded = false;
        m.VersieDatum = kReleaseDate;
        m.Versie = std::string("Versie ") + kVersion;
        const std::string caption = std::string(kAppTitle) + ", " + m.Versie;
        window_.setCaption(caption);
        const float screenWidth = window_.ScreenWidth(), screenHeight = window_.ScreenHeight();
        window_.setPlacement(
            fitToScreen(storedPlacement(settings, kAppTitle, screenWidth, screenHeight), screenWidth, screenHeight));
        m.Logbestand = settings.value(kAppTitle, "Logbestand", "Filename", "0");
        // Before the first question (the log file's): an autorun may start
        // with nobody there. An invalid value is reported once the screen is up.
        followAutorun(realNumberSetting(settings.value(kAppTitle, "Database", "Autorun", "0")).value_or(0) > 0);
        s_.platform.doEvents();

        window_.showMessageScreen();
        std::string logName;
        s_.alg.OpenLogFile(logName, "Append", 1, settings.value(kAppTitle, "Database", "FileDir", ""));
        s_.alg.AddMelding("Welkom in " + caption + ". dd. " + m.VersieDatum + ".", 1, false, kGreeting);
        s_.alg.AddMelding("", 0, false, kBlack);
        s_.alg.AddMelding("Opdracht parameters: " + commandLine_);
        m.dbMain = OpenMainDatabase(true, 0, "");
        s_.alg.AddMelding("Opdracht parameters: " + Variant(window_.Visible()).toString());
    }
    afterBusy();
}

void MdiZelkExtract2::Form_Unload() {
    s_.alg.AddMelding(std::string(80, '-'), 0, false, kBlack);
    s_.alg.AddMelding("", 0);
    if (s_.main.dbMain > 0) s_.dbase.CloseDatabase(s_.main.dbMain);
    // Only the normal window's placement is worth coming back to.
    if (window_.State() == WindowState::Normal) storePlacement(s_.platform.settings(), kAppTitle, window_.Placement());
    s_.platform.endProgram(autorunOwed_ ? 1 : 0);
}

void MdiZelkExtract2::requestClose() {
    if (!Busy()) {
        Form_Unload();
        return;
    }
    if (!closePending_) {
        closePending_ = true;
        s_.alg.AddMelding("Het programma wordt afgesloten zodra het lopende werk klaar is.");
    }
}

void MdiZelkExtract2::requestStop() {
    if (!exporting_ || s_.platform.stopReason()) return;
    s_.platform.requestStop("Gestopt op verzoek van de gebruiker");
    s_.alg.AddMelding("Het lopende werk wordt gestopt.", 0, false, kRed);
}

void MdiZelkExtract2::afterBusy() {
    if (closePending_ && !Busy()) Form_Unload();
}

void MdiZelkExtract2::Command(MenuCommand command) {
    switch (command) {
    case MenuCommand::OpenDatabase: mnuOpenDatabase_Click(); break;
    case MenuCommand::Exporteer: Export(); break;
    case MenuCommand::Einde: requestClose(); break;
    case MenuCommand::Sheet1: runMenuExport(ExportKind::Roerend); break;
    case MenuCommand::Sheet1b: runMenuExport(ExportKind::Onroerend); break;
    case MenuCommand::Sheet2: runMenuExport(ExportKind::Mapping); break;
    default: break;  // the dialogs are the window's own business
    }
}

void MdiZelkExtract2::mnuOpenDatabase_Click() {
    if (Busy()) return;
    {
        BusyScope busy(*this, false);
        MainValues& m = s_.main;
        if (m.dbMain > 0) {
            s_.alg.AddMelding("", 0);
            s_.alg.AddMelding("Database " + s_.dbase.DbName(m.dbMain) + " wordt gesloten.");
            s_.dbase.CloseDatabase(m.dbMain);
            // The slot is closed: nothing may use it while the next one is chosen.
            m.dbMain = -1;
        }
        window_.unloadDialogs();
        m.dbMain = OpenMainDatabase(false, 0, "");
    }
    afterBusy();
}

void MdiZelkExtract2::runMenuExport(ExportKind kind) {
    if (Busy()) return;
    {
        BusyScope busy(*this, true);
        if (jobs_.run(kind, ExportRequest{}) && jobs_.keep) jobs_.keep(kind, true);
    }
    afterBusy();
}

void MdiZelkExtract2::Export() {
    if (Busy()) return;
    {
        BusyScope busy(*this, true);
        exportAll();
    }
    afterBusy();
}

bool MdiZelkExtract2::exportAll() {
    // Nobody need be there: the processing date takes its default and the
    // workbooks are only saved.
    ExportRequest request;
    request.unattended = true;
    bool allSaved = true;
    for (ExportKind kind : {ExportKind::Roerend, ExportKind::Onroerend, ExportKind::Mapping}) {
        // Told to stop (the button, the autorun's time limit): no next export.
        if (s_.platform.stopReason()) return false;
        const bool done = jobs_.run(kind, request);
        const bool saved = done && (!jobs_.keep || jobs_.keep(kind, false));
        allSaved = allSaved && saved;
    }
    return allSaved;
}

void MdiZelkExtract2::Timer1_Timer() {
    // Work already running (an export from the menu, a database being
    // chosen): the next tick tries again.
    if (Busy()) return;
    MainValues& m = s_.main;
    if (m.ParmLoaded) {
        s_.alg.AddMelding("Autorun suspended. Parameterscherm actief.", 0, false, kBlack);
        return;
    }
    if (m.dbMain <= 0) {
        Form_Unload();
        return;
    }
    const bool autorun = autorunSetting() > 0;
    followAutorun(autorun);
    if (!autorun) return;
    {
        BusyScope busy(*this, false);
        s_.alg.AddMelding(Now() + " Autorun gestart", 0, false, kBlack);
        window_.disableTimer();
        {
            BusyScope exporting(*this, true);
            const double minutes = autorunMaxMinutes();
            const std::string shown = minutes == std::floor(minutes) ? std::to_string(static_cast<long long>(minutes))
                                                                     : trimBlanks(strText(minutes));
            s_.platform.stopAfter(std::chrono::milliseconds(static_cast<std::int64_t>(minutes * 60000)),
                                  "De Autorun is gestopt: de grens van " + shown + " minuten is bereikt");
            autorunOwed_ = !exportAll();
        }
        s_.alg.AddMelding(Now() + " Autorun beeindigd", 0, false, kBlack);
        WaitMilliseconds(s_.platform, 3000);
    }
    Form_Unload();
}

int MdiZelkExtract2::OpenMainDatabase(bool NameKnown, int /*unused*/, const std::string& DialogCaption) {
    SettingsStore& settings = s_.platform.settings();
    s_.alg.AddMelding(std::string(kAppTitle) + ": Even geduld: Database wordt geopend", 0, false, kBlack);
    std::error_code ec;
    const std::string startDir =
        settings.value(kAppTitle, "Database", "CurDir", std::filesystem::current_path(ec).string());
    std::string name = settings.value(kAppTitle, "Database", "Database", "");
    const bool nameKnown = NameKnown && !name.empty();
    const std::string caption =
        DialogCaption.empty() ? "Geef de naam van de " + std::string(kAppTitle) + " database" : DialogCaption;
    // A password the user types goes no further than this open.
    std::string password = kDefaultPassword;
    OpenDatabaseOptions options;
    options.startDir = startDir;
    options.nameKnown = nameKnown;
    options.dialogCaption = caption;
    const int slot = s_.dbase.openDatabase(name, password, options);
    if (slot > 0) {
        const std::string& opened = s_.dbase.DbName(slot);
        settings.set(kAppTitle, "Database", "CurDir", opened);
        settings.set(kAppTitle, "Database", "Database", opened);
        s_.alg.AddMelding(std::string(kAppTitle) + ": Database '" + opened + "' is geopend.", 0, false, kBlack);
    }
    const bool autorun = autorunSetting() > 0;
    followAutorun(autorun);
    if (autorun) {
        s_.alg.AddMelding("Wacht tot Autorun start", 0, false, kBlack);
        window_.armTimer(kAutorunIntervalMs);
        autorunOwed_ = true;
    }
    return slot;
}

double MdiZelkExtract2::autorunSetting() {
    const std::string text = s_.platform.settings().value(kAppTitle, "Database", "Autorun", "0");
    if (const auto v = realNumberSetting(text)) return *v;
    s_.alg.AddMelding("Ongeldige waarde voor Autorun: '" + text + "'", 0, false, kBlack);
    return 0;
}

double MdiZelkExtract2::autorunMaxMinutes() {
    const std::string text = s_.platform.settings().value(kAppTitle, "Database", "AutorunMaxMinuten", "");
    double minutes = kAutorunMaxMinutes;
    if (!text.empty()) {
        const auto v = realNumberSetting(text);
        // Up to a year: beyond that the limit means nothing, and the tick count could not hold it.
        if (v && *v > 0 && *v <= 525600) minutes = *v;
        else s_.alg.AddMelding("Ongeldige waarde voor AutorunMaxMinuten: '" + text + "'", 0, false, kBlack);
    }
    return minutes;
}

void MdiZelkExtract2::followAutorun(bool on) {
    if (!on) {
        s_.platform.setReplyTimeout(std::nullopt);
        return;
    }
    if (s_.platform.replyTimeout()) return;
    ReplyTimeout timeout;
    timeout.onUnanswered = [this, limit = timeout.limit](const UnansweredQuestion& q) {
        s_.alg.AddMelding(unansweredLine(q, limit), 0, false, kBlack);
    };
    s_.platform.setReplyTimeout(std::move(timeout));
}

std::string MdiZelkExtract2::Now() const {
    const Date now = s_.platform.now();
    return shortDateText(now) + "-" + timeText(now);
}

}  // namespace zelk
