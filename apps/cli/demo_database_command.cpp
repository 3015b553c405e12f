#include "demo_database_command.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "database/demo_database.h"

namespace zelk::cli {
namespace {

template <typename T>
std::optional<T> number(const std::string& s) {
    T v{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

int usage(const std::string& why) {
    std::fprintf(stderr,
                 "%s\nGebruik: zelkextract2-cli demo-database FILE [--assets N] [--seed N]\n"
                 "       [--history-depth N]\n",
                 why.c_str());
    return 2;
}

}  // namespace

int runDemoDatabase(const std::vector<std::string>& args) {
    std::optional<std::string> file;
    DemoOptions options;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (a == "--assets" || a == "--seed" || a == "--history-depth") {
            if (k + 1 >= args.size()) return usage("Waarde ontbreekt na " + a + ".");
            const std::string& v = args[++k];
            if (a == "--assets") {
                const auto n = number<long>(v);
                if (!n || *n < 1) return usage("Ongeldig aantal objecten: '" + v + "'.");
                options.assets = *n;
            } else if (a == "--history-depth") {
                // Average records per asset; decimals with a point ("5.5").
                char* end = nullptr;
                const double d = std::strtod(v.c_str(), &end);
                if (v.empty() || end != v.c_str() + v.size() || !(d >= 1 && d <= 100))
                    return usage("Ongeldige historiediepte: '" + v + "'.");
                options.historyDepth = d;
            } else {
                const auto n = number<std::uint64_t>(v);
                if (!n) return usage("Ongeldige seed: '" + v + "'.");
                options.seed = *n;
            }
        } else if (!a.empty() && a[0] == '-') {
            return usage("Onbekende optie: '" + a + "'.");
        } else if (file) {
            return usage("Meer dan een bestand opgegeven.");
        } else {
            file = a;
        }
    }
    if (!file) return usage("Geen bestand opgegeven.");
    try {
        const DemoSummary s = createDemoDatabase(*file, options);
        std::printf(
            "Demodatabase '%s' aangemaakt: %ld eigenaren, %ld gebouwen, %ld categorieën, %ld "
            "investeringscategorieën, %ld objecten, %ld objectwaarderingen, %ld historierecords, %ld "
            "historiewaarderingen.\n",
            file->c_str(), s.owners, s.buildings, s.categories, s.investmentCategories, s.assets, s.assetValuations,
            s.history, s.historyValuations);
        return 0;
    } catch (const DemoDatabaseError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

}  // namespace zelk::cli
