#include "database/demo_database.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <variant>
#include <vector>

#include "database/field_value.h"
#include "database/schema.h"
#include "database/sqlite_handle.h"
#include "os/process.h"
#include "os/system_reason.h"
#include "os/termination_cleanup.h"
#include "runtime/dates.h"

namespace zelk {
namespace {

// SplitMix64: the same numbers on every platform and compiler, unlike the
// standard library's distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    long below(long n) { return static_cast<long>(next() % static_cast<std::uint64_t>(n)); }
    long between(long lo, long hi) { return lo + below(hi - lo + 1); }

private:
    std::uint64_t state_;
};

using Value = std::variant<std::monostate, std::int64_t, double, std::string>;
const Value kNull{};

Value text(std::string s) { return Value(std::move(s)); }
Value whole(long v) { return Value(static_cast<std::int64_t>(v)); }
// Amounts in euros and cents.
Value money(double v) { return Value(std::round(v * 100.0) / 100.0); }
Value day(Date d) { return Value(isoDateText(Date{std::floor(d.serial)})); }

// One prepared INSERT, bound and run per row.
class Inserter {
public:
    Inserter(sqlite3* db, const std::string& table, int columns) : db_(db) {
        std::string sql = "INSERT INTO " + table + " VALUES (";
        for (int c = 0; c < columns; ++c) sql += c ? ",?" : "?";
        stmt_ = sqlite::prepare(db, sql + ")");
    }
    void row(const std::vector<Value>& values) {
        sqlite3_stmt* s = stmt_.get();
        for (size_t k = 0; k < values.size(); ++k) {
            const int i = static_cast<int>(k) + 1;
            const Value& v = values[k];
            if (std::holds_alternative<std::int64_t>(v)) sqlite3_bind_int64(s, i, std::get<std::int64_t>(v));
            else if (std::holds_alternative<double>(v)) sqlite3_bind_double(s, i, std::get<double>(v));
            else if (std::holds_alternative<std::string>(v)) {
                const std::string& t = std::get<std::string>(v);
                sqlite3_bind_text(s, i, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
            } else sqlite3_bind_null(s, i);
        }
        sqlite::step(db_, s);
        sqlite3_reset(s);
        ++count_;
    }
    long count() const { return count_; }

private:
    sqlite3* db_;
    sqlite::Statement stmt_;
    long count_ = 0;
};

struct Owner {
    const char* code;
    const char* name;  // nullptr: no name
};
// The first four are the names the movable export turns into a place code;
// the next three differ from them only in case, suffix or a leading blank.
const Owner kOwners[] = {
    {"E01", "Kalmerstede"},        {"E02", "KALMERSTEDE A"},
    {"E03", "Facilitair Bedrijf"}, {"E04", "Heldraak"},
    {"E05", "Kalmerstede a"},      {"E06", "Kalmerstede B"},
    {"E07", " Kalmerstede"},       {"E08", "Stichting Woonbelang Eemland"},
    {"E09", "Gemeente Dorpsveld"}, {"E10", nullptr},
};

struct Place {
    const char* name;
    int postcode;
    const char* region;
};
const Place kPlaces[] = {
    {"Amersfoort", 3811, "Midden"}, {"Utrecht", 3511, "Midden"},  {"Zwolle", 8011, "Noord"},
    {"Deventer", 7411, "Oost"},     {"Apeldoorn", 7311, "Oost"},  {"Hilversum", 1211, "West"},
    {"Leusden", 3831, "Midden"},    {"Nijkerk", 3861, "Oost"},    {"Soest", 3761, "Midden"},
    {"Baarn", 3741, "West"},        {"Harderwijk", 3841, "Oost"}, {"Veenendaal", 3901, "Zuid"},
    {"Ede", 6711, "Zuid"},          {"Barneveld", 3771, "Zuid"},  {"Woudenberg", 3931, "Midden"},
};
const char* const kStreets[] = {"Stationsplein", "Kerkstraat",  "Dorpsstraat",   "Molenweg",
                                "Schoolstraat",  "Julianalaan", "Beatrixstraat", "Parallelweg",
                                "Industrieweg",  "Marktplein",  "Nieuwstraat",   "Veldweg",
                                "Eikenlaan",     "Beukenlaan",  "Lindenlaan",    "Havenstraat"};
const char* const kBuildingKinds[] = {
    "Kantoor",      "Wijkcentrum", "Sporthal",     "Brandweerkazerne",   "Gemeentewerf",
    "Bibliotheek",  "Zwembad",     "Basisschool",  "Gezondheidscentrum", "Parkeergarage",
    "Stadskantoor", "Museum",      "Muziekschool", "Kinderdagverblijf",  "Dienstencentrum"};
const char* const kBuildingNames[] = {"De Bron", "Het Anker", "De Linde", "Het Veld", "De Wiekslag", "Noord",
                                      "Zuid",    "De Eik",    "Centrum",  "De Hoeve", "Het Baken",   "De Kolk"};

struct Category {
    const char* code;
    const char* description;
    const char* kind;     // nullptr: no kind
    const char* account;  // nullptr: no account number
};
const Category kCategories[] = {
    {"C01", "Grond", "GR", "021000"},
    {"C02", "Erfpacht", "ERF", "021500"},
    {"C03", "Gebouwen", "ONR", "022000"},
    {"C04", "Installaties", "INS", "023000"},
    {"C05", "Inventaris", "INV", "024000"},
    {"C06", "Vervoermiddelen", "VVM", "025000"},
    {"C07", "ICT-middelen", "ICT", "026000"},
    {"C08", "Overige activa", nullptr, "029000"},
    {"C09", "Verbouwingen", "Onr", "022500"},
    {"C10", "Terreininrichting", "TER", "4711"},
    {"C11", "Duurzame energie", "INV", "1234567"},
    {"C12", "Parkeervoorzieningen", "ONR", nullptr},
};

struct InvestmentCategory {
    const char* code;
    const char* category;
    const char* description;
    std::optional<double> comPercentage;  // nullopt: no percentage
    bool hasCom;                          // a 'COM' row in IC_Waardering
    double typicalCost;
    double lifeYears;  // 0: not depreciated
};
const InvestmentCategory kInvestmentCategories[] = {
    {"0100", "C01", "Grond", 0.0, true, 400000, 0},
    {"0110", "C02", "Erfpachtrecht", 2.0, true, 250000, 50},
    {"0200", "C03", "Bedrijfsgebouwen", 2.5, true, 1800000, 40},
    {"0210", "C03", "Woningen", 3.0, true, 320000, 33},
    {"0220", "C09", "Verbouwingen", 10.0, true, 150000, 10},
    {"0300", "C04", "Technische installaties", 7.0, true, 90000, 15},
    {"0310", "C04", "Liftinstallaties", 6.67, true, 120000, 15},
    {"0400", "C05", "Kantoorinventaris", 10.0, true, 25000, 10},
    {"0410", "C05", "Vloerbedekking", 20.0, true, 12000, 5},
    {"0500", "C06", "Dienstauto's", 20.0, true, 38000, 5},
    {"0600", "C07", "Hardware", 33.33, true, 15000, 3},
    {"0610", "C07", "Software", std::nullopt, true, 30000, 4},
    {"0700", "C08", "Kunstobjecten", 0.0, true, 20000, 0},
    {"0800", "C10", "Terreinverharding", -5.0, true, 60000, 20},
    {"0900", "C11", "Zonnepanelen", 5.0, true, 75000, 20},
    {"0950", "C12", "Parkeergarage", 3.0, true, 900000, 33},
    {"0990", "C05", "Inventaris vervallen", 10.0, false, 8000, 10},
};
constexpr long kInvestmentCategoryCount = sizeof kInvestmentCategories / sizeof kInvestmentCategories[0];

// Functions, not constants: date serials must not be computed during static
// initialisation, before the date routines' own constants exist.
Date valuationDay() { return makeDate(2026, 1, 1); }  // the stored valuations' "now"
Date lastBookingDay() { return makeDate(2026, 6, 30); }

double years(Date from, Date to) { return std::max(0.0, (to.serial - from.serial) / 365.25); }

// Linear depreciation of `cost` at `percentage` a year, as of `at`.
double depreciation(double cost, double percentage, Date from, Date at) {
    if (percentage <= 0) return 0;
    return std::min(cost, cost * percentage / 100.0 * years(from, at));
}

std::string pad(long v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*ld", width, v);
    return buf;
}

// SQLite's own texts are English; these are the failures a full disk, a
// missing or closed folder give.
std::string creationReason(const sqlite::Failure& f, const std::string& path) {
    switch (f.code() & 0xff) {
    case SQLITE_CANTOPEN: {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec);
        return "in de map '" + (ec ? std::filesystem::path(path) : full).parent_path().string() +
               "' kan geen bestand worden gemaakt";
    }
    case SQLITE_PERM:
    case SQLITE_READONLY: return os::reasonText(std::make_error_code(std::errc::permission_denied));
    default: return sqlite::diskReason(f.code()).value_or(f.message());
    }
}

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// The file under construction; removed unless it was put in place, also
// when the program is ended by a signal halfway (a large one takes minutes).
class PendingFile {
public:
    explicit PendingFile(std::string path)
        : path_(std::move(path)), cleanup_(std::vector<std::string>{path_, path_ + "-journal"}) {}
    ~PendingFile() {
        if (!kept_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
            std::filesystem::remove(path_ + "-journal", ignored);
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    const std::string& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
    os::TerminationCleanup cleanup_;
};

class Generator {
public:
    Generator(sqlite3* db, const DemoOptions& o)
        : db_(db), rng_(o.seed), assets_(o.assets), historyDepth_(o.historyDepth) {
        buildings_ = std::max(1L, (assets_ + 3) / 4);
    }

    DemoSummary run() {
        DemoSummary s;
        s.owners = owners();
        s.categories = categories();
        s.investmentCategories = investmentCategories();
        valuationKinds();
        s.buildings = buildings();
        assets(s);
        return s;
    }

private:
    long owners() {
        Inserter ins(db_, "Eigenaar", 2);
        for (const Owner& o : kOwners) ins.row({text(o.code), o.name ? text(o.name) : kNull});
        // Larger databases get more owners, each with an ordinary name.
        for (long k = 0; k < assets_ / 1000; ++k) {
            const auto& place = kPlaces[static_cast<std::size_t>(k) % std::size(kPlaces)];
            ins.row({text("E" + pad(11 + k, 3)),
                     text(std::string("Stichting Beheer ") + place.name + " " + std::to_string(k + 1))});
        }
        return ins.count();
    }

    long categories() {
        Inserter ins(db_, "Categori", 4);
        for (const Category& c : kCategories)
            ins.row({text(c.code), text(c.description), c.kind ? text(c.kind) : kNull,
                     c.account ? text(c.account) : kNull});
        return ins.count();
    }

    long investmentCategories() {
        Inserter ic(db_, "IC", 3);
        Inserter iw(db_, "IC_Waardering", 3);
        for (const InvestmentCategory& c : kInvestmentCategories) {
            ic.row({text(c.code), text(c.category), text(c.description)});
            const Value pct = c.comPercentage ? Value(*c.comPercentage) : kNull;
            if (c.hasCom) iw.row({text(c.code), text("COM"), pct});
            iw.row({text(c.code), text("IFR"), c.lifeYears > 0 ? Value(100.0 / c.lifeYears) : Value(0.0)});
        }
        return ic.count();
    }

    void valuationKinds() {
        Inserter ins(db_, "Waardering", 2);
        ins.row({text("COM"), text("Commerciële waardering")});
        ins.row({text("IFR"), text("IFRS-waardering")});
        ins.row({text("FIS"), text("Fiscale waardering")});
    }

    std::string buildingCode(long b) const {
        // One building's code is stored in lower case throughout: its assets
        // have history records the lookup must not accept.
        return (b == 6 ? "g" : "G") + pad(b + 1, 5);
    }

    long buildings() {
        Inserter ins(db_, "OG", 12);
        const long ownerCount = static_cast<long>(std::size(kOwners)) + assets_ / 1000;
        for (long b = 0; b < buildings_; ++b) {
            const long o = b % ownerCount;
            std::string owner = o < static_cast<long>(std::size(kOwners)) ? kOwners[o].code : "E" + pad(o + 1, 3);
            if (b % 20 == 12) owner = "e03";  // the join on the owner ignores case
            if (b == 9) owner = "E99";        // an owner that does not exist
            // One draw per statement: the order of evaluation within an
            // expression is unspecified, and the content must not depend on it.
            const Place& place = kPlaces[static_cast<size_t>(rng_.below(std::size(kPlaces)))];
            const char* kind = kBuildingKinds[rng_.below(std::size(kBuildingKinds))];
            const char* called = kBuildingNames[rng_.below(std::size(kBuildingNames))];
            const std::string name = std::string(kind) + " " + called;
            const char* streetName = kStreets[rng_.below(std::size(kStreets))];
            const long number = rng_.between(1, 240);
            const std::string street = std::string(streetName) + " " + std::to_string(number);
            const long pcNumber = place.postcode + rng_.below(9);
            const char l1 = static_cast<char>('A' + rng_.below(26));
            const char l2 = static_cast<char>('A' + rng_.below(26));
            const std::string pc = std::to_string(pcNumber) + " " + l1 + l2;
            static const std::optional<long> huur[] = {1, 1, 2, 3, 1, 0, std::nullopt, 4, 2};
            static const std::optional<long> gebruik[] = {1, 2, 1, 3, std::nullopt, 1, 2};
            const auto h = huur[b % 9];
            const auto g = gebruik[b % 7];
            Value wvw = money(static_cast<double>(rng_.between(250, 8000)) * 1000.0);
            if (b % 11 == 3) wvw = money(0);
            else if (b % 11 == 7) wvw = kNull;
            else if (b % 31 == 5) wvw = money(-25000);
            Value bedOpb = money(0);
            if (b % 13 == 5) bedOpb = kNull;                // in the asset exports, not in the mapping
            else if (b % 17 == 8) bedOpb = money(12500.5);  // in no export
            Value taxatie = kNull;
            if (b % 4 != 0) {
                const long year = rng_.between(2015, 2025);
                const long month = rng_.between(1, 12);
                taxatie = day(makeDate(static_cast<int>(year), static_cast<int>(month), 1));
            }
            ins.row({text(buildingCode(b)), text(owner), b % 23 == 11 ? kNull : text(name), text(street), text(pc),
                     b % 29 == 13 ? kNull : text(place.name), text(place.region), h ? whole(*h) : kNull,
                     g ? whole(*g) : kNull, wvw, bedOpb, taxatie});
        }
        return ins.count();
    }

    static const char* assetName(const InvestmentCategory& ic, long variant) {
        static const char* const names[][3] = {
            {"Bouwgrond", "Perceel", "Grond achter pand"},
            {"Erfpacht perceel", "Canon afkoop", "Erfpacht terrein"},
            {"Hoofdgebouw", "Bijgebouw", "Aanbouw"},
            {"Huurwoning", "Dienstwoning", "Appartement"},
            {"Renovatie entree", "Verbouwing kantine", "Nieuwe indeling"},
            {"Airconditioning", "CV-installatie", "Brandmeldinstallatie"},
            {"Personenlift", "Goederenlift", "Traplift"},
            {"Meubilair kantoor", "Vergadertafels", "Bureaustoelen"},
            {"Vloerbedekking", "Linoleum", "Tapijttegels"},
            {"Bedrijfsbus", "Dienstauto", "Elektrische auto"},
            {"Servers", "Laptops", "Netwerkapparatuur"},
            {"Financieel pakket", "Zaaksysteem", "Licenties"},
            {"Schilderij", "Beeld entree", "Wandkleed"},
            {"Bestrating", "Parkeerterrein", "Hekwerk"},
            {"Zonnepanelen dak", "Omvormers", "Laadpalen"},
            {"Parkeerdek", "Slagboominstallatie", "Parkeerkelder"},
            {"Oude inventaris", "Afgeschreven meubilair", "Restpartij"},
        };
        const auto k = static_cast<size_t>(&ic - kInvestmentCategories);
        return names[k][variant % 3];
    }

    void assets(DemoSummary& s) {
        Inserter ob(db_, "OB", 9);
        Inserter ow(db_, "OB_Waardering", 9);
        Inserter hi(db_, "Historie", 20);
        Inserter hw(db_, "HI_Waardering", 10);
        std::map<std::string, long> sequence;  // per category within the building
        long currentBuilding = -1;
        long recno = 0;
        for (long a = 0; a < assets_; ++a) {
            const long b = a * buildings_ / assets_;
            if (b != currentBuilding) {
                sequence.clear();
                currentBuilding = b;
            }
            const InvestmentCategory& ic = a < kInvestmentCategoryCount
                                               ? kInvestmentCategories[a]
                                               : kInvestmentCategories[rng_.below(kInvestmentCategoryCount)];
            const std::string og = buildingCode(b);
            const long vlgnum = ++sequence[ic.code];

            const long year = rng_.between(2005, 2025);
            const long month = rng_.between(1, 12);
            const long dayOfMonth = rng_.between(1, 28);
            const Date bought = makeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(dayOfMonth));
            const double spread = 0.4 + static_cast<double>(rng_.below(1200)) / 1000.0;
            const double cost = std::max(500.0, std::round(ic.typicalCost * spread));
            std::optional<double> life = ic.lifeYears;
            if (a % 15 == 6) life.reset();
            else if (a % 15 == 7) life = 0.0;
            const double comPct = ic.comPercentage.value_or(0.0);
            const double ifrPct = ic.lifeYears > 0 ? 100.0 / ic.lifeYears : 0.0;

            // OB
            Value name = text(assetName(ic, a));
            if (a % 47 == 5) name = text("   ");  // becomes "Taxatie" in the export
            else if (a % 53 == 7) name = kNull;
            const Value project = a % 11 == 4 ? kNull : text("P" + std::to_string(2005 + a % 21) + "-" + pad(a + 1, 4));
            const Value rest = a % 9 == 2 ? kNull : money(a % 3 == 0 ? 0.0 : std::round(cost * 0.05));
            Value edat = kNull;
            if (a % 35 == 10) edat = day(Date{0});  // zero counts as no date
            else if (a % 35 == 15) edat = day(addMonths(bought, -14));
            else if (a % 5 == 0) edat = day(addMonths(bought, 12.0 * (life && *life > 0 ? *life : 10.0)));
            const Value active = a % 19 == 3 ? kNull : day(bought);
            ob.row({text(og), text(ic.code), whole(vlgnum), name, project, rest, life ? Value(*life) : kNull, edat,
                    active});

            // OB_Waardering: 'COM' and 'IFR'
            const double comCum = std::round(depreciation(cost, comPct, bought, valuationDay()) * 100) / 100;
            double comNow = cost - comCum;
            Value comCost = money(cost);
            Value comCumValue = money(comCum);
            if (a % 23 == 4) {
                comCumValue = money(cost);  // fully depreciated: current value 0
                comNow = 0;
            } else if (a % 71 == 13) {
                comNow = 1000;  // cost equals current value + 999999: skipped
                comCost = money(1000999);
                comCumValue = money(999999);
            } else if (a % 67 == 11) {
                comCost = kNull;
            }
            const Value purchase = a % 61 == 9 ? kNull : day(bought);
            const Value end = a % 13 == 5 ? day(addMonths(bought, 12.0 * std::max(1.0, ic.lifeYears))) : kNull;
            if (a % 43 != 21) {  // otherwise the asset has no 'COM' valuation
                ow.row({text(og), text(ic.code), whole(vlgnum), text("COM"), purchase, comCost, comCumValue,
                        money(comNow), end});
            }
            const double ifrCum = depreciation(cost, ifrPct, bought, valuationDay());
            ow.row({text(og), text(ic.code), whole(vlgnum), text("IFR"), purchase, money(cost), money(ifrCum),
                    money(cost - ifrCum), end});

            history(a, og, ic, vlgnum, bought, cost, comPct, ifrPct, life, hi, hw, recno);
        }
        s.assets = ob.count();
        s.assetValuations = ow.count();
        s.history = hi.count();
        s.historyValuations = hw.count();
    }

    void yearlyBookings(Date bought, long count, std::vector<std::optional<Date>>& bookings) {
        bookings.push_back(bought);
        const DateParts p = splitDate(bought);
        for (long k = 1; k < count; ++k) {
            const Date d = makeDate(p.year + static_cast<int>(k), 12, 31);
            if (d.serial > lastBookingDay().serial) break;
            bookings.push_back(d);
        }
    }

    // About historyDepth_ bookings, a month apart from the purchase on.
    void monthlyBookings(Date bought, std::vector<std::optional<Date>>& bookings) {
        const long whole = static_cast<long>(historyDepth_);
        const long fraction = std::lround((historyDepth_ - static_cast<double>(whole)) * 100);
        const long count = std::max(1L, whole + (rng_.below(100) < fraction ? 1 : 0));
        bookings.push_back(bought);
        const DateParts p = splitDate(bought);
        for (long k = 1; k < count; ++k) {
            const long month = p.month - 1 + k;
            const Date d = makeDate(p.year + static_cast<int>(month / 12), static_cast<int>(month % 12) + 1, 28);
            if (d.serial > lastBookingDay().serial) break;
            bookings.push_back(d);
        }
    }

    void history(long a, const std::string& og, const InvestmentCategory& ic, long vlgnum, Date bought, double cost,
                 double comPct, double ifrPct, const std::optional<double>& life, Inserter& hi, Inserter& hw,
                 long& recno) {
        if (a % 41 == 12) return;  // an asset without any history
        const long count = 2 + rng_.below(4);
        std::vector<std::optional<Date>> bookings;
        if (a == assets_ - 1 && assets_ > 1) {
            // The last asset in index order, booked only after every
            // processing date the exports ask for.
            bookings = {makeDate(2027, 1, 15), makeDate(2027, 6, 30)};
        } else {
            if (historyDepth_ > 0) monthlyBookings(bought, bookings);
            else yearlyBookings(bought, count, bookings);

            if (a % 37 == 8 && bookings.size() >= 2) bookings[1] = bookings[0];  // two on one day
            if (a % 31 == 6) bookings.push_back(std::nullopt);                   // a booking without a date
        }
        for (size_t k = 0; k < bookings.size(); ++k) {
            ++recno;
            const std::optional<Date>& on = bookings[k];
            const Date at = on.value_or(bought);
            const double comCum = std::round(depreciation(cost, comPct, bought, at) * 100) / 100;
            const double ifrCum = std::round(depreciation(cost, ifrPct, bought, at) * 100) / 100;
            const bool revaluation = a % 17 == 5 && k + 1 == bookings.size() && k > 0;
            const long codmut = k == 0 ? 1 : (revaluation ? 3 : 2);
            const Value when = on ? day(*on) : kNull;
            const Value mutated = on ? day(Date{on->serial + 2}) : kNull;
            const int hour = 8 + static_cast<int>(rng_.below(10));
            const int minute = static_cast<int>(rng_.below(60));
            const int second = static_cast<int>(rng_.below(60));
            char time[32];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", hour, minute, second);
            hi.row({text(og),
                    text(ic.code),
                    whole(vlgnum),
                    whole(recno),
                    when,
                    whole(codmut),
                    mutated,
                    text(time),
                    when,
                    money(cost - comCum),
                    money(0),
                    money(revaluation ? cost * 0.02 : 0.0),
                    money(0),
                    life ? Value(*life) : kNull,
                    money(std::round(cost * 0.05)),
                    money(revaluation ? cost * 0.1 : 0.0),
                    money(0),
                    money(ifrCum),
                    a % 7 == 3 ? kNull : money(0),
                    a % 7 == 3 ? kNull : money(0)});

            if (a % 29 == 14 && k + 1 == bookings.size()) continue;  // no valuations with this booking
            const Value purchase = day(bought);
            hw.row({text(og), text(ic.code), whole(vlgnum), whole(recno), text("COM"), purchase, money(cost),
                    money(comCum), money(cost - comCum), kNull});
            hw.row({text(og), text(ic.code), whole(vlgnum), whole(recno), text("IFR"), purchase, money(cost),
                    money(ifrCum), money(cost - ifrCum), kNull});
            if (a % 27 == 9)  // a kind the valuation table does not know
                hw.row({text(og), text(ic.code), whole(vlgnum), whole(recno), text("OUD"), purchase, money(cost),
                        money(0), money(cost), kNull});
            if (a % 33 == 16)  // a second 'COM' row: the later one counts
                hw.row({text(og), text(ic.code), whole(vlgnum), whole(recno), text("COM"), purchase, money(cost),
                        money(comCum + 100), money(cost - comCum - 100), kNull});
        }
    }

    sqlite3* db_;
    Rng rng_;
    long assets_;
    double historyDepth_;
    long buildings_ = 1;
};

}  // namespace

DemoSummary createDemoDatabase(const std::string& path, const DemoOptions& options) {
    if (options.assets < 1) throw DemoDatabaseError("Het aantal objecten moet minstens 1 zijn.");
    if (exists(path)) throw DemoDatabaseError("Het bestand '" + path + "' bestaat al en wordt niet overschreven.");

    PendingFile pending(path + ".tmp-" + std::to_string(os::processId()));
    std::error_code stale;
    std::filesystem::remove(pending.path(), stale);
    DemoSummary summary;
    try {
        sqlite::Connection db = sqlite::open(pending.path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        // The file is not anyone's until it is complete: no journal needed.
        sqlite::exec(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
        sqlite::exec(db.get(), "BEGIN");
        createAssetSchema(db.get());
        summary = Generator(db.get(), options).run();
        sqlite::exec(db.get(), "COMMIT");
        // The exports' joins need the planner's statistics.
        sqlite::exec(db.get(), "ANALYZE");
        sqlite::exec(db.get(), "PRAGMA journal_mode=DELETE");
        db.reset();
    } catch (const sqlite::Failure& f) {
        throw DemoDatabaseError("De demodatabase '" + path + "' kon niet worden gemaakt: " + creationReason(f, path));
    }
    // A hard link puts the finished file in place and fails, instead of
    // overwriting, when a file of that name appeared meanwhile.
    std::error_code linked;
    std::filesystem::create_hard_link(pending.path(), path, linked);
    if (linked) {
        if (linked == std::errc::file_exists)
            throw DemoDatabaseError("Het bestand '" + path + "' bestaat al en wordt niet overschreven.");
        std::error_code renamed = std::make_error_code(std::errc::file_exists);
        if (!exists(path)) std::filesystem::rename(pending.path(), path, renamed);
        if (renamed)
            throw DemoDatabaseError("De demodatabase '" + path +
                                    "' kon niet worden geschreven: " + os::reasonText(linked));
        pending.keep();
    }
    return summary;
}

}  // namespace zelk
