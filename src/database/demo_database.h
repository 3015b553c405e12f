#pragma once
// A new SQLite asset database with deterministic, realistic demo content:
// owners, buildings with Dutch addresses, categories of every kind, assets
// with 'COM' and 'IFR' valuations and several history bookings each, and the
// odd records that the exports' rules exist for (blank names, empty kinds,
// fully depreciated assets, history only in the future, codes in lower case...).

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zelk {

struct DemoOptions {
    long assets = 200;       // every table scales with it
    std::uint64_t seed = 1;  // same seed and count, same file content
    // Average number of "Historie" records per asset, bookings a month apart
    // (the shape of a long-running administration); 0 keeps the standard
    // mix of yearly bookings.
    double historyDepth = 0;
};

struct DemoSummary {
    long owners = 0, buildings = 0, categories = 0, investmentCategories = 0, assets = 0, assetValuations = 0,
         history = 0, historyValuations = 0;
};

// Why a demo database was not made; the text is for the user.
class DemoDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the database to `path`, which must not exist: the file is built
// under a temporary name beside it and only then put in place, never over an
// existing file. Throws DemoDatabaseError.
DemoSummary createDemoDatabase(const std::string& path, const DemoOptions& options = {});

}  // namespace zelk
