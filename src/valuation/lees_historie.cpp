// The history of one asset as it stood on a date: the "Historie" record valid
// on that date and the per-kind figures booked with it in "HI_Waardering".
// Both tables are walked through index seeks on recordsets that stay open for
// a whole export, because the exports ask three times for every asset.

#include "database/dbase.h"
#include "runtime/text.h"
#include "messages/alg_func.h"
#include "valuation/waardering.h"

#include <algorithm>
#include <cctype>

namespace zelk {
namespace {


// Key comparisons are exact: a Null or differently cased code is another key.
bool sameText(const Variant& field, const std::string& key) {
    return !field.isNull() && displayText(field) == key;
}

bool sameNumber(const Variant& field, double key) { return !field.isNull() && field.toDouble() == key; }

bool sameObject(const Recordset& rs, const std::string& og, const std::string& ic, std::int32_t vlg) {
    return sameText(rs.Field("OGCODE"), og) && sameText(rs.Field("ICCODE"), ic) && sameNumber(rs.Field("VLGNUM"), vlg);
}

Variant orZero(const Recordset& rs, const char* name) { return NotNull(rs.Field(name), Variant(0)); }

}  // namespace

bool MdlWaardering::fillFromHistorie(HistorieRec& result, int DbNr, int RsHistorie, const std::string& og,
                                     const std::string& ic, std::int32_t vlg, Date peil) {
    Recordset& rs = dbase_.RsObject(DbNr, RsHistorie);
    rs.SetIndex("OgCodRev");
    rs.Seek(">=", {Variant(og), Variant(ic), Variant(vlg)});
    if (rs.NoMatch() || !sameObject(rs, og, ic, vlg)) {
        result.Melding = "Van dit object is geen historie aanwezig";
        return false;
    }
    // Within one object the index runs from the latest booking to the earliest:
    // the first record on or before the date is the one valid on it. A record
    // without a booking date counts as booked after every date.
    while (!rs.Eof() && sameObject(rs, og, ic, vlg)) {
        const Variant datBoe = rs.Field("DatBoe");
        if (!datBoe.isNull() && datBoe.toDate().serial <= peil.serial) break;
        rs.MoveNext();
    }
    // Past the object's records (or past the end of the table, when the object
    // is the last in the index): all of them lie after the date, so its
    // earliest record is the one to use.
    if (rs.Eof() || !sameObject(rs, og, ic, vlg)) rs.MovePrevious();

    result.RecNo = orZero(rs, "RECNO").toLong();
    result.DatBoe = orZero(rs, "DatBoe").toDate();
    result.Codmut = orZero(rs, "Codmut").toInteger();
    result.DatMut = orZero(rs, "DatMut").toDate();
    result.TydMut = orZero(rs, "TydMut").toDate();
    result.DatActie = orZero(rs, "DatActie").toDate();
    result.BedNogAct = orZero(rs, "BedNogAct").toCurrency();
    result.BedResHer = orZero(rs, "BedResHer").toCurrency();
    result.BedVrvRes = orZero(rs, "BedVrvRes").toCurrency();
    result.BedVryHer = orZero(rs, "BedVryHer").toCurrency();
    result.Levensduur = orZero(rs, "HI_Levensduur").toSingle();
    result.Restwaarde = orZero(rs, "HI_Restwaarde").toCurrency();
    result.HerwaarderingPos = orZero(rs, "HI_HerwaarderingPos").toCurrency();
    result.HerwaarderingNeg = orZero(rs, "HI_HerwaarderingNeg").toCurrency();
    result.IFRS_Afschr = orZero(rs, "HI_IFRS_Afschr").toCurrency();
    result.Impairment_Taxatie = orZero(rs, "HI_Impairment_Taxatie").toCurrency();
    result.Impairment_Afschr = orZero(rs, "HI_Impairment_Afschr").toCurrency();
    return true;
}

HistorieRec MdlWaardering::LeesHistorie(int DbNr, int RsHistorie, int RsHiWaardering, const Variant& ObjOgCode,
                                        const Variant& ObjIcCode, std::int32_t ObjVlgNum, Date Peildatum,
                                        bool /*ZoekModus: no caller asks for the other search mode*/) {
    HistorieRec result = InitWaarderingen(DbNr);
    if (DbNr <= 0 || RsHistorie <= 0 || RsHiWaardering <= 0) return result;
    try {
        const std::string og = upperCase(displayText(ObjOgCode));
        const std::string ic = upperCase(displayText(ObjIcCode));
        if (!fillFromHistorie(result, DbNr, RsHistorie, og, ic, ObjVlgNum, Peildatum)) return result;

        Recordset& rs = dbase_.RsObject(DbNr, RsHiWaardering);
        rs.SetIndex("OgCode");
        rs.Seek(">=", {Variant(og), Variant(ic), Variant(ObjVlgNum), Variant(result.RecNo)});
        if (rs.NoMatch()) {
            result.Melding = "Ob Waardering-records zijn niet aanwezig";
            result.HistorieOK = false;
            return result;
        }
        for (int k = 0; k < result.Aantal; ++k)
            result.Waarderingen[static_cast<size_t>(k)].Code = WaarderingenLijst.substr(static_cast<size_t>(k) * 4, 3);
        while (!rs.Eof()) {
            if (!sameText(rs.Field("HW_OgCode"), og) || !sameText(rs.Field("HW_IcCode"), ic) ||
                !sameNumber(rs.Field("HW_Vlgnum"), ObjVlgNum) || !sameNumber(rs.Field("HW_RecNo"), result.RecNo))
                break;
            const Variant code = rs.Field("HW_Waardering");
            const int n = WaarderingNr(code);
            if (n > 0) {
                WaarderingRec& w = result.Waardering(n);
                w.Code = displayText(NotNull(code, Variant("")));
                w.AanschafDatum = orZero(rs, "HW_AanschafDatum").toDate();
                w.AanschafWaarde = orZero(rs, "HW_AanschafWaarde").toCurrency();
                w.CumAfschr = orZero(rs, "HW_CumAfschr").toCurrency();
                w.HuidigeWaarde = orZero(rs, "HW_HuidigeWaarde").toCurrency();
                w.EindDatum = orZero(rs, "HW_EindDatum").toDate();
            }
            rs.MoveNext();
        }
        result.HistorieOK = true;
    } catch (const RuntimeError&) {
        result.HistorieOK = false;
        result.Melding = "Database is niet benaderbaar";
    }
    return result;
}

}  // namespace zelk
