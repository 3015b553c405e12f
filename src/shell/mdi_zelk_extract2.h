#pragma once
// The main window's logic: start-up, the close handler, the menu commands,
// opening the asset database and the autorun timer. The window itself is
// reached through MainWindowPort, so all of this runs headless in the tests.
//
// Events run inside long work (every message line lets them), so a command
// can arrive while an export runs. Those that would start a second export,
// swap the database or end the program under it are refused or held until
// the export is done; a close asked for meanwhile follows right after it.

#include <string>

#include "shell/export_jobs.h"
#include "shell/menu.h"
#include "shell/opties_form.h"
#include "shell/parameters_form.h"
#include "shell/window_port.h"

namespace zelk {

struct Session;

inline constexpr int kAutorunIntervalMs = 5000;
// How long the autorun's exports may take together, unless the setting
// "Database"/"AutorunMaxMinuten" says otherwise: an export still running
// then is stopped, and the program ends with exit status 1.
inline constexpr double kAutorunMaxMinutes = 60;

class MdiZelkExtract2 {
public:
    MdiZelkExtract2(Session& session, MainWindowPort& window, ExportJobs jobs, std::string commandLine);
    // The platform's reply timeout reports to this window: it goes with it.
    ~MdiZelkExtract2();
    MdiZelkExtract2(const MdiZelkExtract2&) = delete;
    MdiZelkExtract2& operator=(const MdiZelkExtract2&) = delete;

    // Loading the window starts the whole program.
    void Form_Load();
    // The close handler: closing lines, the database closed, the placement
    // kept (normal state only), then the program ends (the platform does not
    // come back from that). A scheduler learns from the exit status whether
    // an armed autorun saved all its workbooks: 0 when it did or when none
    // was armed, 1 when an export failed or never ran.
    void Form_Unload();
    // Einde and the close box: the close handler now, or right after the
    // work that runs.
    void requestClose();
    // The Stoppen button (and Esc): the export that runs ends as failed, its
    // workbook is not kept. Nothing when no export runs.
    void requestStop();

    void Command(MenuCommand command);
    void mnuOpenDatabase_Click();
    // One export from the menu; its finished workbook is saved and opened.
    void runMenuExport(ExportKind kind);
    // The three exports in a row, unattended; workbooks saved, not opened.
    void Export();
    void Timer1_Timer();

    int OpenMainDatabase(bool NameKnown, int unused, const std::string& DialogCaption);

    bool Busy() const { return busy_ > 0; }
    bool closePending() const { return closePending_; }
    FrmParameters& parameters() { return parameters_; }
    FrmOpties& opties() { return opties_; }

private:
    class BusyScope;
    // "Autorun" as a number; a text that is none counts as 0 and says so.
    double autorunSetting();
    // "AutorunMaxMinuten"; a value that is no positive number (up to a
    // year) gives the default and says so.
    double autorunMaxMinutes();
    // Under Autorun nobody need be there: questions take their safe answer
    // when no reply comes in time, and say so on the message screen.
    void followAutorun(bool on);
    std::string Now() const;
    // True when every export finished and its workbook was saved.
    bool exportAll();
    void afterBusy();

    Session& s_;
    MainWindowPort& window_;
    ExportJobs jobs_;
    std::string commandLine_;
    FrmParameters parameters_;
    FrmOpties opties_;
    int busy_ = 0;
    bool exporting_ = false;
    bool closePending_ = false;
    bool autorunOwed_ = false;  // armed, and its workbooks not all saved yet
};

}  // namespace zelk
