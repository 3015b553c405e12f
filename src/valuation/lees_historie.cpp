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
    hOgCode,
    hIcCode,
    hVlgNum,
    hRecNo,
    hDatBoe,
    hCodmut,
    hDatMut,
    hTydMut,
    hDatActie,
    hBedNogAct,
    hBedResHer,
    hBedVrvRes,
    hBedVryHer,
    hLevensduur,
    hRestwaarde,
    hHerwaarderingPos,
    hHerwaarderingNeg,
    hIfrsAfschr,
    hImpairmentTaxatie,
    hImpairmentAfschr,
    hFieldCount
};
const char* const kHistoryNames[hFieldCount] = {"OGCODE",
                                                "ICCODE",
                                                "VLGNUM",
                                                "RECNO",
                                                "DatBoe",
                                                "Codmut",
                                                "DatMut",
                                                "TydMut",
                                                "DatActie",
                                                "BedNogAct",
                                                "BedResHer",
                                                "BedVrvRes",
                                                "BedVryHer",
                                                "HI_Levensduur",
                                                "HI_Restwaarde",
                                                "HI_HerwaarderingPos",
                                                "HI_HerwaarderingNeg",
                                                "HI_IFRS_Afschr",
                                                "HI_Impairment_Taxatie",
                                                "HI_Impairment_Afschr"};

enum ValuationField : std::size_t {
    wOgCode,
    wIcCode,
    wVlgnum,
    wRecNo,
    wWaardering,
    wAanschafDatum,
    wAanschafWaarde,
    wCumAfschr,
    wHuidigeWaarde,
    wEindDatum,
    wFieldCount
};
const char* const kValuationNames[wFieldCount] = {
    "HW_OgCode",        "HW_IcCode",         "HW_Vlgnum",    "HW_RecNo",         "HW_Waardering",
    "HW_AanschafDatum", "HW_AanschafWaarde", "HW_CumAfschr", "HW_HuidigeWaarde", "HW_EindDatum"};

template <std::size_t N>
std::vector<std::string> namesOf(const char* const (&names)[N]) {
    return {std::begin(names), std::end(names)};
}

// Key comparisons are exact: a Null or differently cased code is another key.
bool sameText(const Variant& field, const std::string& key) { return !field.isNull() && displayText(field) == key; }

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

std::vector<const char*> historyColumns() { return {std::begin(kHistoryNames), std::end(kHistoryNames)}; }
std::vector<const char*> historyValuationColumns() { return {std::begin(kValuationNames), std::end(kValuationNames)}; }

MdlWaardering::MdlWaardering(Dbase& dbase)
    : dbase_(dbase), historyFields_(namesOf(kHistoryNames)), valuationFields_(namesOf(kValuationNames)) {}

namespace {

Read readField(const FieldCache& f, const Recordset& rs, std::size_t field) {
    Read r;
    try {
        r.value = f(rs, field);
    } catch (const RuntimeError& e) {
        r.error = e;
    }
    return r;
}

// Fills the "Historie" part of `result` from the record `rs` stands on.
void fillFromRecord(HistorieRec& result, const FieldCache& f, const Recordset& rs) {
    const auto orZero = [&](std::size_t field) { return NotNull(f(rs, field), Variant(0)); };
    result.RecNo = orZero(hRecNo).toLong();
    result.DatBoe = orZero(hDatBoe).toDate();
    result.Codmut = orZero(hCodmut).toInteger();
    result.DatMut = orZero(hDatMut).toDate();
    result.TydMut = orZero(hTydMut).toDate();
    result.DatActie = orZero(hDatActie).toDate();
    result.BedNogAct = orZero(hBedNogAct).toCurrency();
    result.BedResHer = orZero(hBedResHer).toCurrency();
    result.BedVrvRes = orZero(hBedVrvRes).toCurrency();
    result.BedVryHer = orZero(hBedVryHer).toCurrency();
    result.Levensduur = orZero(hLevensduur).toSingle();
    result.Restwaarde = orZero(hRestwaarde).toCurrency();
    result.HerwaarderingPos = orZero(hHerwaarderingPos).toCurrency();
    result.HerwaarderingNeg = orZero(hHerwaarderingNeg).toCurrency();
    result.IFRS_Afschr = orZero(hIfrsAfschr).toCurrency();
    result.Impairment_Taxatie = orZero(hImpairmentTaxatie).toCurrency();
    result.Impairment_Afschr = orZero(hImpairmentAfschr).toCurrency();
}

void failed(HistorieRec& r) {
    r.HistorieOK = false;
    r.Melding = "Database is niet benaderbaar";
    r.unreadable = true;
}

}  // namespace

void MdlWaardering::readValuations(HistorieRec& result, int DbNr, int RsHiWaardering, const std::string& og,
                                   const std::string& ic, std::int32_t vlg) const {
    Recordset& rs = dbase_.RsObject(DbNr, RsHiWaardering);
    rs.SetIndex(kHistoryValuationIndex);
    rs.Seek(">=", {Variant(og), Variant(ic), Variant(vlg), Variant(result.RecNo)});
    if (rs.NoMatch()) {
        result.Melding = "Ob Waardering-records zijn niet aanwezig";
        result.HistorieOK = false;
        return;
    }
    for (int k = 0; k < result.Aantal; ++k)
        result.Waarderingen[static_cast<size_t>(k)].Code = WaarderingenLijst.substr(static_cast<size_t>(k) * 4, 3);
    const FieldCache& f = valuationFields_;
    for (bool more = !rs.Eof(); more; more = rs.MoveNextOnKey()) {
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
    }
    result.HistorieOK = true;
}

std::vector<HistorieRec> MdlWaardering::LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering,
                                                     const Variant& ObjOgCode, const Variant& ObjIcCode,
                                                     std::int32_t ObjVlgNum, const std::vector<Date>& Peildata) {
    std::vector<HistorieRec> results;
    for (std::size_t k = 0; k < Peildata.size(); ++k) results.push_back(InitWaarderingen(DbNr));
    if (DbNr <= 0 || RsHistorie <= 0 || RsHiWaardering <= 0) return results;

    // One walk through the object's records serves every date: a date takes
    // the first record on or before it, and a date that a failure would stop
    // fails alone, as its own walk would.
    std::vector<std::size_t> open(Peildata.size());
    for (std::size_t k = 0; k < open.size(); ++k) open[k] = k;
    std::vector<bool> found(Peildata.size(), false);
    const FieldCache& f = historyFields_;
    std::string og, ic;
    const auto fill = [&](std::size_t k, const Recordset& rs) {
        try {
            fillFromRecord(results[k], f, rs);
            found[k] = true;
        } catch (const RuntimeError&) {
            failed(results[k]);
        }
    };
    try {
        og = upperCase(displayText(ObjOgCode));
        ic = upperCase(displayText(ObjIcCode));
        Recordset& rs = dbase_.RsObject(DbNr, RsHistorie);
        const auto sameObject = [&] {
            return sameText(f(rs, hOgCode), og) && sameText(f(rs, hIcCode), ic) &&
                   sameNumber(f(rs, hVlgNum), ObjVlgNum);
        };
        rs.SetIndex(kHistoryIndex);
        rs.Seek(">=", {Variant(og), Variant(ic), Variant(ObjVlgNum)});
        if (rs.NoMatch() || !sameObject()) {
            for (HistorieRec& r : results) r.Melding = "Van dit object is geen historie aanwezig";
            return results;
        }
        // Within one object the index runs from the latest booking to the
        // earliest; a record without a booking date counts as booked after
        // every date.
        while (!open.empty()) {
            const Read datBoe = readField(f, rs, hDatBoe);
            std::vector<std::size_t> later;
            for (const std::size_t k : open) {
                try {
                    const Variant& d = datBoe.get();
                    if (!d.isNull() && d.toDate().serial <= Peildata[k].serial) fill(k, rs);
                    else later.push_back(k);
                } catch (const RuntimeError&) {
                    failed(results[k]);
                }
            }
            open = std::move(later);
            if (open.empty()) break;
            // Past the object's records (also past the end of the table, when
            // the object is the last in the index): all of them lie after the
            // date, so its earliest record is the one to use.
            const bool moved = rs.MoveNextOnKey();
            if (!moved || !sameObject()) {
                if (moved) rs.MovePrevious();
                for (const std::size_t k : open) fill(k, rs);
                open.clear();
            }
        }
    } catch (const RuntimeError&) {
        for (const std::size_t k : open) failed(results[k]);
    }

    // The figures of a record do not depend on the date that selected it.
    std::vector<const HistorieRec*> valued;
    for (std::size_t k = 0; k < Peildata.size(); ++k) {
        if (!found[k]) continue;
        HistorieRec& r = results[k];
        const auto same =
            std::find_if(valued.begin(), valued.end(), [&](const HistorieRec* v) { return v->RecNo == r.RecNo; });
        if (same != valued.end()) {
            r.HistorieOK = (*same)->HistorieOK;
            r.Melding = (*same)->Melding;
            r.unreadable = (*same)->unreadable;
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
    if (std::any_of(results.begin(), results.end(), [](const HistorieRec& r) { return r.unreadable; }))
        ++unreadableObjects_;
    return results;
}

HistorieRec MdlWaardering::LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering, const Variant& ObjOgCode,
                                        const Variant& ObjIcCode, std::int32_t ObjVlgNum, Date Peildatum,
                                        bool /*ZoekModus: no caller asks for the other search mode*/) {
    return LeesHistorie(DbNr, RsHistorie, RsHiWaardering, ObjOgCode, ObjIcCode, ObjVlgNum, std::vector<Date>{Peildatum})
        .front();
}

}  // namespace zelk
