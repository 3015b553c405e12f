// The history of one asset as it stood on a date: the "Historie" record valid
// on that date and the per-kind figures booked with it in "HI_Waardering".
// Both tables are walked through index seeks on recordsets that stay open for
// a whole export. The exports ask for three dates per asset: its "Historie"
// records are read once for all of them, and the figures once per record
// the dates select.

#include <algorithm>
#include <optional>

#include "database/dbase.h"
#include "messages/alg_func.h"
#include "runtime/text.h"
#include "valuation/waardering.h"

namespace zelk {
namespace {

enum HistoryField : std::size_t {
    hOgCode, hIcCode, hVlgNum, hRecNo, hDatBoe, hCodmut, hDatMut, hTydMut, hDatActie, hBedNogAct, hBedResHer,
    hBedVrvRes, hBedVryHer, hLevensduur, hRestwaarde, hHerwaarderingPos, hHerwaarderingNeg, hIfrsAfschr,
    hImpairmentTaxatie, hImpairmentAfschr, hFieldCount
};
const char* const kHistoryNames[hFieldCount] = {
    "OGCODE",        "ICCODE",          "VLGNUM",         "RECNO",          "DatBoe",
    "Codmut",        "DatMut",          "TydMut",         "DatActie",       "BedNogAct",
    "BedResHer",     "BedVrvRes",       "BedVryHer",      "HI_Levensduur",  "HI_Restwaarde",
    "HI_HerwaarderingPos", "HI_HerwaarderingNeg", "HI_IFRS_Afschr", "HI_Impairment_Taxatie",
    "HI_Impairment_Afschr"};

enum ValuationField : std::size_t {
    wOgCode, wIcCode, wVlgnum, wRecNo, wWaardering, wAanschafDatum, wAanschafWaarde, wCumAfschr, wHuidigeWaarde,
    wEindDatum, wFieldCount
};
const char* const kValuationNames[wFieldCount] = {
    "HW_OgCode",       "HW_IcCode",        "HW_Vlgnum",    "HW_RecNo",         "HW_Waardering",
    "HW_AanschafDatum", "HW_AanschafWaarde", "HW_CumAfschr", "HW_HuidigeWaarde", "HW_EindDatum"};

template <std::size_t N>
std::vector<std::string> namesOf(const char* const (&names)[N]) {
    return {std::begin(names), std::end(names)};
}

// Key comparisons are exact: a Null or differently cased code is another key.
bool sameText(const Variant& field, const std::string& key) {
    return !field.isNull() && displayText(field) == key;
}

bool sameNumber(const Variant& field, double key) { return !field.isNull() && field.toDouble() == key; }

// A field as it was read: its value, or the error reading it gave, raised
// only when a date's lookup comes to use it, as reading it then would.
struct Read {
    Variant value;
    std::optional<RuntimeError> error;
    const Variant& get() const {
        if (error) throw *error;
        return value;
    }
    Variant orZero() const { return NotNull(get(), Variant(0)); }
};

}  // namespace

// The records of one object, in index order: from the latest booking to the
// earliest, those without a booking date last.
struct MdlWaardering::ObjectHistory {
    bool found = false;
    std::vector<std::vector<Read>> bookings;
    // Telling whether the record after the last one belongs to the object
    // failed with this error.
    std::optional<RuntimeError> endError;
};

MdlWaardering::MdlWaardering(Dbase& dbase)
    : dbase_(dbase), historyFields_(namesOf(kHistoryNames)), valuationFields_(namesOf(kValuationNames)) {}

MdlWaardering::ObjectHistory MdlWaardering::readHistory(int DbNr, int RsHistorie, const std::string& og,
                                                        const std::string& ic, std::int32_t vlg) const {
    Recordset& rs = dbase_.RsObject(DbNr, RsHistorie);
    const auto sameObject = [&] {
        return sameText(historyFields_(rs, hOgCode), og) && sameText(historyFields_(rs, hIcCode), ic) &&
               sameNumber(historyFields_(rs, hVlgNum), vlg);
    };
    ObjectHistory h;
    rs.SetIndex("OgCodRev");
    rs.Seek(">=", {Variant(og), Variant(ic), Variant(vlg)});
    h.found = !rs.NoMatch() && sameObject();
    while (h.found) {
        std::vector<Read> booking(hFieldCount);
        for (std::size_t f = 0; f < hFieldCount; ++f) {
            try {
                booking[f].value = historyFields_(rs, f);
            } catch (const RuntimeError& e) {
                booking[f].error = e;
            }
        }
        h.bookings.push_back(std::move(booking));
        rs.MoveNext();
        if (rs.Eof()) break;
        try {
            if (!sameObject()) break;
        } catch (const RuntimeError& e) {
            h.endError = e;
            break;
        }
    }
    return h;
}

namespace {

// Fills the "Historie" part of `result` from the record valid on `peil`.
void fillFromHistory(HistorieRec& result, const MdlWaardering::ObjectHistory& h, Date peil) {
    // The first record on or before the date is the one valid on it; a record
    // without a booking date counts as booked after every date.
    std::size_t k = 0;
    for (; k < h.bookings.size(); ++k) {
        const Variant& datBoe = h.bookings[k][hDatBoe].get();
        if (!datBoe.isNull() && datBoe.toDate().serial <= peil.serial) break;
    }
    // Past the object's records (also past the end of the table, when the
    // object is the last in the index): all of them lie after the date, so
    // its earliest record is the one to use.
    if (k == h.bookings.size()) {
        if (h.endError) throw *h.endError;
        --k;
    }
    const std::vector<Read>& b = h.bookings[k];
    result.RecNo = b[hRecNo].orZero().toLong();
    result.DatBoe = b[hDatBoe].orZero().toDate();
    result.Codmut = b[hCodmut].orZero().toInteger();
    result.DatMut = b[hDatMut].orZero().toDate();
    result.TydMut = b[hTydMut].orZero().toDate();
    result.DatActie = b[hDatActie].orZero().toDate();
    result.BedNogAct = b[hBedNogAct].orZero().toCurrency();
    result.BedResHer = b[hBedResHer].orZero().toCurrency();
    result.BedVrvRes = b[hBedVrvRes].orZero().toCurrency();
    result.BedVryHer = b[hBedVryHer].orZero().toCurrency();
    result.Levensduur = b[hLevensduur].orZero().toSingle();
    result.Restwaarde = b[hRestwaarde].orZero().toCurrency();
    result.HerwaarderingPos = b[hHerwaarderingPos].orZero().toCurrency();
    result.HerwaarderingNeg = b[hHerwaarderingNeg].orZero().toCurrency();
    result.IFRS_Afschr = b[hIfrsAfschr].orZero().toCurrency();
    result.Impairment_Taxatie = b[hImpairmentTaxatie].orZero().toCurrency();
    result.Impairment_Afschr = b[hImpairmentAfschr].orZero().toCurrency();
}

void failed(HistorieRec& r) {
    r.HistorieOK = false;
    r.Melding = "Database is niet benaderbaar";
}

}  // namespace

void MdlWaardering::readValuations(HistorieRec& result, int DbNr, int RsHiWaardering, const std::string& og,
                                   const std::string& ic, std::int32_t vlg) const {
    Recordset& rs = dbase_.RsObject(DbNr, RsHiWaardering);
    rs.SetIndex("OgCode");
    rs.Seek(">=", {Variant(og), Variant(ic), Variant(vlg), Variant(result.RecNo)});
    if (rs.NoMatch()) {
        result.Melding = "Ob Waardering-records zijn niet aanwezig";
        result.HistorieOK = false;
        return;
    }
    for (int k = 0; k < result.Aantal; ++k)
        result.Waarderingen[static_cast<size_t>(k)].Code = WaarderingenLijst.substr(static_cast<size_t>(k) * 4, 3);
    const FieldCache& f = valuationFields_;
    while (!rs.Eof()) {
        if (!sameText(f(rs, wOgCode), og) || !sameText(f(rs, wIcCode), ic) || !sameNumber(f(rs, wVlgnum), vlg) ||
            !sameNumber(f(rs, wRecNo), result.RecNo))
            break;
        const Variant code = f(rs, wWaardering);
        const int n = WaarderingNr(code);
        if (n > 0) {
            WaarderingRec& w = result.Waardering(n);
            w.Code = displayText(NotNull(code, Variant("")));
            w.AanschafDatum = NotNull(f(rs, wAanschafDatum), Variant(0)).toDate();
            w.AanschafWaarde = NotNull(f(rs, wAanschafWaarde), Variant(0)).toCurrency();
            w.CumAfschr = NotNull(f(rs, wCumAfschr), Variant(0)).toCurrency();
            w.HuidigeWaarde = NotNull(f(rs, wHuidigeWaarde), Variant(0)).toCurrency();
            w.EindDatum = NotNull(f(rs, wEindDatum), Variant(0)).toDate();
        }
        rs.MoveNext();
    }
    result.HistorieOK = true;
}

std::vector<HistorieRec> MdlWaardering::LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering,
                                                     const Variant& ObjOgCode, const Variant& ObjIcCode,
                                                     std::int32_t ObjVlgNum, const std::vector<Date>& Peildata) {
    std::vector<HistorieRec> results;
    for (std::size_t k = 0; k < Peildata.size(); ++k) results.push_back(InitWaarderingen(DbNr));
    if (DbNr <= 0 || RsHistorie <= 0 || RsHiWaardering <= 0) return results;
    std::string og, ic;
    ObjectHistory history;
    try {
        og = upperCase(displayText(ObjOgCode));
        ic = upperCase(displayText(ObjIcCode));
        history = readHistory(DbNr, RsHistorie, og, ic, ObjVlgNum);
    } catch (const RuntimeError&) {
        for (HistorieRec& r : results) failed(r);
        return results;
    }
    if (!history.found) {
        for (HistorieRec& r : results) r.Melding = "Van dit object is geen historie aanwezig";
        return results;
    }
    // The figures of a record do not depend on the date that selected it.
    std::vector<const HistorieRec*> valued;
    for (std::size_t k = 0; k < Peildata.size(); ++k) {
        HistorieRec& r = results[k];
        try {
            fillFromHistory(r, history, Peildata[k]);
        } catch (const RuntimeError&) {
            failed(r);
            continue;
        }
        const auto same = std::find_if(valued.begin(), valued.end(),
                                       [&](const HistorieRec* v) { return v->RecNo == r.RecNo; });
        if (same != valued.end()) {
            r.HistorieOK = (*same)->HistorieOK;
            r.Melding = (*same)->Melding;
            r.Waarderingen = (*same)->Waarderingen;
            continue;
        }
        try {
            readValuations(r, DbNr, RsHiWaardering, og, ic, ObjVlgNum);
        } catch (const RuntimeError&) {
            failed(r);
        }
        valued.push_back(&r);
    }
    return results;
}

HistorieRec MdlWaardering::LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering, const Variant& ObjOgCode,
                                        const Variant& ObjIcCode, std::int32_t ObjVlgNum, Date Peildatum,
                                        bool /*ZoekModus: no caller asks for the other search mode*/) {
    return LeesHistorie(DbNr, RsHistorie, RsHiWaardering, ObjOgCode, ObjIcCode, ObjVlgNum,
                        std::vector<Date>{Peildatum})
        .front();
}

}  // namespace zelk
