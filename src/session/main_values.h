#pragma once
// The main window's public values, which the exports and the autorun read.

#include <string>

namespace zelk {

struct MainValues {
    int dbMain = -1;          // database slot of the asset database, -1 when none
    bool Testmode = false;    // never changed during a run
    bool Debugmode = true;    // never changed during a run
    bool ParmLoaded = false;  // the parameters dialog is open
    std::string Logbestand = "0";
    std::string Versie;       // set at start-up from the build's version
    std::string VersieDatum;  // likewise, the release date
};

}  // namespace zelk
