#pragma once
// The valuation kinds of the administration ("COM", "IFR", ...) and an asset's
// history figures as of a date.

#include <cstdint>
#include <string>
#include <vector>

#include "database/field_cache.h"
#include "runtime/variant.h"

namespace zelk {

class Dbase;

struct WaarderingRec {
    std::string Code;
    Date AanschafDatum;
    Currency AanschafWaarde;
    Currency CumAfschr;
    Currency HuidigeWaarde;
    Date EindDatum;
};

struct HistorieRec {
    bool HistorieOK = false;
    std::string Melding;
    // The history was there but could not be read (a value that does not
    // convert, a missing index or column, a failing database): its figures
    // are zero, and wrong. An object without history is not unreadable.
    bool unreadable = false;
    std::int32_t RecNo = 0;
    Date DatBoe;
    std::int16_t Codmut = 0;
    Currency BedNogAct;
    Currency BedResHer;
    Currency BedVrvRes;
    Currency BedVryHer;
    Date DatMut;
    Date TydMut;
    Date DatActie;
    std::int16_t Aantal = 0;
    std::string Tekst;
    float Levensduur = 0;
    Currency Restwaarde;
    Currency HerwaarderingPos;
    Currency HerwaarderingNeg;
    Currency IFRS_Afschr;
    Currency Impairment_Taxatie;
    Currency Impairment_Afschr;
    // Element k (1-based) of the list; runtime error 9 outside 1..Aantal.
    WaarderingRec& Waardering(int k);
    const WaarderingRec& Waardering(int k) const;
    std::vector<WaarderingRec> Waarderingen;  // index 0 holds element 1
};

class MdlWaardering {
public:
    explicit MdlWaardering(Dbase& dbase);

    std::int16_t WaarderingNr(const Variant& ValuationCode) const;
    std::string LoadWaarderingen(int DbNr);
    HistorieRec InitWaarderingen(int DbNr);
    HistorieRec LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering, const Variant& ObjOgCode,
                             const Variant& ObjIcCode, std::int32_t ObjVlgNum, Date Peildatum, bool ZoekModus);
    // The history of one asset as it stood on each of `Peildata`, by the same
    // rules; the asset's records are read once for all the dates.
    std::vector<HistorieRec> LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering, const Variant& ObjOgCode,
                                          const Variant& ObjIcCode, std::int32_t ObjVlgNum,
                                          const std::vector<Date>& Peildata);

    // Loaded once per run: four characters per kind, the code right-aligned in three and "|".
    std::string WaarderingenLijst;

    // Objects whose history LeesHistorie could not read for one of the
    // dates asked, counted over the program's life; a run counts the
    // difference.
    long objectsWithUnreadableHistory() const { return unreadableObjects_; }

private:
    void readValuations(HistorieRec& result, int DbNr, int RsHiWaardering, const std::string& og, const std::string& ic,
                        std::int32_t vlg) const;
    Dbase& dbase_;
    long unreadableObjects_ = 0;
    FieldCache historyFields_;
    FieldCache valuationFields_;
};

// The code of a list entry: the code trimmed, right-aligned in three characters
// (a longer code keeps its last three).
std::string waarderingEntry(const std::string& code);

// The indexes the history reader seeks in, on "Historie" and "HI_Waardering".
inline constexpr const char* kHistoryIndex = "OgCodRev";
inline constexpr const char* kHistoryValuationIndex = "OgCode";

// The columns the history reader reads from "Historie" and "HI_Waardering".
std::vector<const char*> historyColumns();
std::vector<const char*> historyValuationColumns();

}  // namespace zelk
