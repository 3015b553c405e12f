#include "exports/export_sql.h"

#include <initializer_list>

namespace zelk {
namespace {

std::string join(std::initializer_list<const char*> pieces) {
    std::string sql;
    for (const char* p : pieces) sql += p;
    return sql;
}

const char* const kMovableKinds =
    "          AND (((CT_SOORT) <> 'GR' AND (CT_SOORT) <> 'ONR' AND (CT_SOORT) <> 'ERF')) ";
const char* const kImmovableKinds = "          AND (((CT_SOORT) = 'GR' OR (CT_SOORT) = 'ONR' OR (CT_SOORT) = 'ERF')) ";

std::string assetsSql(const char* kindCondition) {
    return join({"SELECT OG.*,",
                 "       OB.*,",
                 "       OB_Waardering.*,",
                 "       IC.*,",
                 "       IC_Waardering.*,",
                 "       Eigenaar.*,",
                 "       Categori.*",
                 " FROM (Eigenaar",
                 "     INNER JOIN OG",
                 "         ON Eigenaar.CODE = OG.OG_EIG)",
                 "     INNER JOIN ((((Categori",
                 "     INNER JOIN IC",
                 "         ON Categori.CT_CODE = IC.IC_CAT)",
                 "     INNER JOIN IC_Waardering",
                 "         ON IC.IC_CODE = IC_Waardering.IW_IcCode)",
                 "     INNER JOIN OB",
                 "         ON IC.IC_CODE = OB.ICCODE)",
                 "     INNER JOIN OB_Waardering",
                 "         ON (OB.VLGNUM = OB_Waardering.OW_Vlgnum)",
                 "          AND (OB.ICCODE = OB_Waardering.OW_IcCode)",
                 "          AND (OB.OGCODE = OB_Waardering.OW_OgCode))",
                 "         ON OG.OG_CODE = OB.OGCODE",
                 " WHERE (      ((OB_Waardering.OW_Waardering)='COM')",
                 "          AND ((IC_Waardering.IW_Waardering)='COM')",
                 "          AND (((OG.OG_BedOpb)=0 OR (OG.OG_BedOpb) is Null)) ",
                 kindCondition,
                 "          AND ((OW_Huidigewaarde)<>0))",
                 " ORDER BY OB.OGCODE,",
                 "       OB.ICCODE,",
                 "       OB.VLGNUM; "});
}

}  // namespace

std::string movableAssetsSql() { return assetsSql(kMovableKinds); }
std::string immovableAssetsSql() { return assetsSql(kImmovableKinds); }

std::string ogWvwSql() {
    return join(
        {"SELECT First(OB.OGCODE) AS [OGCODE Veld],",
         "       Sum(OB_Waardering.OW_HuidigeWaarde) AS SomVanOW_HuidigeWaarde,", "       OG.OG_WVW", " FROM OG",
         "     INNER JOIN (((Categori", "     INNER JOIN IC", "         ON Categori.CT_CODE = IC.IC_CAT)",
         "     INNER JOIN OB", "         ON IC.IC_CODE = OB.ICCODE)", "     INNER JOIN OB_Waardering",
         "         ON (OB.VLGNUM = OB_Waardering.OW_Vlgnum)", "          AND (OB.ICCODE = OB_Waardering.OW_IcCode)",
         "          AND (OB.OGCODE = OB_Waardering.OW_OgCode))", "         ON OG.OG_CODE = OB.OGCODE",
         " WHERE (((Categori.CT_SOORT)='GR' Or (Categori.CT_SOORT)='ONR' Or (Categori.CT_SOORT)='ERF'))",
         "     GROUP BY OG.OG_WVW,", "       OB.OGCODE,", "       OB_Waardering.OW_Waardering",
         "         HAVING (((OB_Waardering.OW_Waardering)='COM')); "});
}

std::string categoryMappingSql() {
    return join({"SELECT OG.*,",
                 "       OB.*,",
                 "       OB_Waardering.*,",
                 "       IC.*,",
                 "       IC_Waardering.*,",
                 "       Eigenaar.*,",
                 "       Categori.*,",
                 "       OG.OG_BedOpb,",
                 "       OG_WVW.SomVanOW_HuidigeWaarde AS HuidigeWaarde",
                 " FROM ((Eigenaar",
                 "     INNER JOIN OG",
                 "         ON Eigenaar.CODE = OG.OG_EIG)",
                 "     INNER JOIN ((((Categori",
                 "     INNER JOIN IC",
                 "         ON Categori.CT_CODE = IC.IC_CAT)",
                 "     INNER JOIN IC_Waardering",
                 "         ON IC.IC_CODE = IC_Waardering.IW_IcCode)",
                 "     INNER JOIN OB",
                 "         ON IC.IC_CODE = OB.ICCODE)",
                 "     INNER JOIN OB_Waardering",
                 "         ON (OB.VLGNUM = OB_Waardering.OW_Vlgnum)",
                 "          AND (OB.ICCODE = OB_Waardering.OW_IcCode)",
                 "          AND (OB.OGCODE = OB_Waardering.OW_OgCode))",
                 "         ON OG.OG_CODE = OB.OGCODE)",
                 "     INNER JOIN OG_WVW",
                 "         ON OG.OG_CODE = OG_WVW.[OGCODE Veld]",
                 " WHERE (      ((OG.OG_BedOpb)=0)",
                 "          AND ((OB_Waardering.OW_Waardering)='COM')",
                 "          AND ((IC_Waardering.IW_Waardering)='COM'))",
                 " ORDER BY OB.OGCODE,",
                 "       OB.ICCODE,",
                 "       OB.VLGNUM; "});
}

}  // namespace zelk
