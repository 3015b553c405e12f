-- The tables of the asset administration, as the exports, the valuation
-- codes and the history lookup read them. Codes compare without regard to
-- case, as Jet compares text; the valuation kinds of "Waardering" keep their
-- case, because the code list is searched case-sensitively.
-- Dates are ISO 8601 text: YYYY-MM-DD, YYYY-MM-DD HH:MM:SS or HH:MM:SS.

CREATE TABLE Eigenaar (
    CODE TEXT COLLATE NOCASE PRIMARY KEY,
    NAAM TEXT
);

CREATE TABLE OG (
    OG_CODE TEXT COLLATE NOCASE PRIMARY KEY,
    OG_EIG TEXT COLLATE NOCASE,
    OG_Naam TEXT,
    OG_Adres TEXT,
    OG_PC TEXT,
    OG_Plaats TEXT,
    OG_Regio TEXT,
    OG_Huur SMALLINT,
    OG_Gebruik SMALLINT,
    OG_WVW CURRENCY,
    OG_BedOpb CURRENCY,
    OG_DatLstTax DATETIME
);

CREATE TABLE Categori (
    CT_CODE TEXT COLLATE NOCASE PRIMARY KEY,
    CT_OMS TEXT,
    CT_SOORT TEXT COLLATE NOCASE,
    CT_REKNUM TEXT
);

CREATE TABLE IC (
    IC_CODE TEXT COLLATE NOCASE PRIMARY KEY,
    IC_CAT TEXT COLLATE NOCASE,
    Ic_Oms TEXT
);

CREATE TABLE IC_Waardering (
    IW_IcCode TEXT COLLATE NOCASE,
    IW_Waardering TEXT COLLATE NOCASE,
    IW_Afschr_Percentage DOUBLE
);
CREATE INDEX IW_IcCode ON IC_Waardering (IW_IcCode, IW_Waardering);

CREATE TABLE OB (
    OGCODE TEXT COLLATE NOCASE,
    ICCODE TEXT COLLATE NOCASE,
    VLGNUM INTEGER,
    NAAM TEXT,
    PrjNr TEXT,
    OB_Restwaarde CURRENCY,
    OB_Levensduur DOUBLE,
    EdatCoHAf DATETIME,
    DatBoeAkt DATETIME
);
CREATE INDEX ObKey ON OB (OGCODE, ICCODE, VLGNUM);

CREATE TABLE OB_Waardering (
    OW_OgCode TEXT COLLATE NOCASE,
    OW_IcCode TEXT COLLATE NOCASE,
    OW_Vlgnum INTEGER,
    OW_Waardering TEXT COLLATE NOCASE,
    OW_AanschafDatum DATETIME,
    OW_AanschafWaarde CURRENCY,
    OW_CumAfschr CURRENCY,
    OW_HuidigeWaarde CURRENCY,
    OW_EindDatum DATETIME
);
CREATE INDEX OwKey ON OB_Waardering (OW_OgCode, OW_IcCode, OW_Vlgnum, OW_Waardering);

CREATE TABLE Waardering (
    WD_Waardering TEXT,
    WD_Omschrijving TEXT
);

CREATE TABLE Historie (
    OGCODE TEXT COLLATE NOCASE,
    ICCODE TEXT COLLATE NOCASE,
    VLGNUM INTEGER,
    RECNO INTEGER,
    DatBoe DATETIME,
    Codmut SMALLINT,
    DatMut DATETIME,
    TydMut DATETIME,
    DatActie DATETIME,
    BedNogAct CURRENCY,
    BedResHer CURRENCY,
    BedVrvRes CURRENCY,
    BedVryHer CURRENCY,
    HI_Levensduur SINGLE,
    HI_Restwaarde CURRENCY,
    HI_HerwaarderingPos CURRENCY,
    HI_HerwaarderingNeg CURRENCY,
    HI_IFRS_Afschr CURRENCY,
    HI_Impairment_Taxatie CURRENCY,
    HI_Impairment_Afschr CURRENCY
);
-- Per asset from the latest booking to the earliest: the history lookup
-- depends on this order.
CREATE INDEX OgCodRev ON Historie (OGCODE, ICCODE, VLGNUM, DatBoe DESC);

CREATE TABLE HI_Waardering (
    HW_OgCode TEXT COLLATE NOCASE,
    HW_IcCode TEXT COLLATE NOCASE,
    HW_Vlgnum INTEGER,
    HW_RecNo INTEGER,
    HW_Waardering TEXT COLLATE NOCASE,
    HW_AanschafDatum DATETIME,
    HW_AanschafWaarde CURRENCY,
    HW_CumAfschr CURRENCY,
    HW_HuidigeWaarde CURRENCY,
    HW_EindDatum DATETIME
);
CREATE INDEX OgCode ON HI_Waardering (HW_OgCode, HW_IcCode, HW_Vlgnum, HW_RecNo);
