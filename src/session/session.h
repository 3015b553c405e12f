#pragma once
// One running program: the platform it talks to and the modules that live for
// the whole run, each created once and reached through here.

#include "database/dbase.h"
#include "exl/exl.h"
#include "messages/alg.h"
#include "platform/platform.h"
#include "session/main_values.h"
#include "valuation/waardering.h"

namespace zelk {

struct Session {
    explicit Session(Platform& p) : platform(p), alg(p), dbase(p, alg), waardering(dbase), exl(alg, excelInstances) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Platform& platform;
    Alg alg;
    Dbase dbase;
    MdlWaardering waardering;
    ExcelInstances excelInstances;
    Exl exl;
    MainValues main;
};

}  // namespace zelk
