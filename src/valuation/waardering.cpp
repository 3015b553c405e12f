#include "valuation/waardering.h"

#include "runtime/text.h"

#include <algorithm>
#include <cctype>
#include <exception>

#include "database/dbase.h"

namespace zelk {
namespace {

std::string lastThree(const std::string& code) {
    const std::string padded = "   " + code;
    return padded.substr(padded.size() - 3);
}

}  // namespace

WaarderingRec& HistorieRec::Waardering(int k) {
    if (k < 1 || k > static_cast<int>(Waarderingen.size())) throw RuntimeError(9);
    return Waarderingen[static_cast<size_t>(k - 1)];
}

const WaarderingRec& HistorieRec::Waardering(int k) const {
    if (k < 1 || k > static_cast<int>(Waarderingen.size())) throw RuntimeError(9);
    return Waarderingen[static_cast<size_t>(k - 1)];
}

std::string waarderingEntry(const std::string& code) { return lastThree(trimBlanks(code)) + "|"; }

std::int16_t MdlWaardering::WaarderingNr(const Variant& ValuationCode) const {
    const std::string key = lastThree(upperCase(displayText(ValuationCode))) + "|";
    const size_t p = WaarderingenLijst.find(key);
    if (p == std::string::npos) return -1;
    return static_cast<std::int16_t>(p / 4 + 1);
}

std::string MdlWaardering::LoadWaarderingen(int DbNr) {
    const int slot = dbase_.OpenRecordset(DbNr, "Waardering", dbOpenTable, true, true, false);
    if (slot <= 0) return "";
    std::string list;
    try {
        Recordset& rs = dbase_.RsObject(DbNr, slot);
        // An empty table fails here already; the caller's error handling gets it.
        rs.MoveLast();
        rs.MoveFirst();
        while (!rs.Eof()) {
            list += waarderingEntry(displayText(rs.Field("WD_Waardering")));
            rs.MoveNext();
        }
    } catch (const std::exception&) {
        // Give the slot back before the error travels on, so a failed load
        // does not hold a recordset for the rest of the run.
        dbase_.CloseRecordset(DbNr, slot);
        throw;
    }
    WaarderingenLijst = list;
    dbase_.CloseRecordset(DbNr, slot);
    return list;
}

HistorieRec MdlWaardering::InitWaarderingen(int DbNr) {
    if (WaarderingenLijst.empty()) WaarderingenLijst = LoadWaarderingen(DbNr);
    HistorieRec rec;
    rec.Aantal = static_cast<std::int16_t>(WaarderingenLijst.size() / 4);
    rec.Waarderingen.resize(static_cast<size_t>(rec.Aantal));
    for (size_t k = 0; k < rec.Waarderingen.size(); ++k) rec.Waarderingen[k].Code = WaarderingenLijst.substr(k * 4, 3);
    return rec;
}

}  // namespace zelk
