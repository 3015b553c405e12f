#include "demo_database_command.h"

#include <QCommandLineParser>
#include <charconv>
#include <cstdio>
#include <optional>

#include "database/demo_database.h"
#include "help_texts.h"
#include "option_parser.h"

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
    std::fprintf(stderr, "%s\nMeer uitleg: zelkextract2-cli demo-database --help\n", why.c_str());
    return 2;
}

}  // namespace

int runDemoDatabase(const std::vector<std::string>& args) {
    QCommandLineParser parser;
    const QCommandLineOption assets("assets", {}, "N");
    const QCommandLineOption seed("seed", {}, "N");
    const QCommandLineOption historyDepth("history-depth", {}, "N");
    const QCommandLineOption help(QStringList{"h", "help"});
    if (auto error = parseCommandLine(parser, args, {&assets, &seed, &historyDepth, &help})) return usage(*error);
    if (parser.isSet(help)) {
        std::fputs(demoDatabaseHelp().c_str(), stdout);
        return 0;
    }
    DemoOptions options;
    if (parser.isSet(assets)) {
        const std::string v = toStd(parser.value(assets));
        const auto n = number<long>(v);
        if (!n || *n < 1) return usage("Ongeldig aantal objecten: '" + v + "'.");
        options.assets = *n;
    }
    if (parser.isSet(seed)) {
        const std::string v = toStd(parser.value(seed));
        const auto n = number<std::uint64_t>(v);
        if (!n) return usage("Ongeldige seed: '" + v + "'.");
        options.seed = *n;
    }
    if (parser.isSet(historyDepth)) {
        // Average records per asset; decimals with a point ("5.5").
        const std::string v = toStd(parser.value(historyDepth));
        const auto d = number<double>(v);
        if (!d || !(*d >= 1 && *d <= 100)) return usage("Ongeldige historiediepte: '" + v + "'.");
        options.historyDepth = *d;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) return usage("Meer dan een bestand opgegeven.");
    if (files.isEmpty()) return usage("Geen bestand opgegeven.");
    const std::string file = toStd(files.first());
    if (file.empty()) return usage("Geen bestand opgegeven.");
    try {
        const DemoSummary s = createDemoDatabase(file, options);
        std::printf(
            "Demodatabase '%s' aangemaakt: %ld eigenaren, %ld gebouwen, %ld categorieën, %ld "
            "investeringscategorieën, %ld objecten, %ld objectwaarderingen, %ld historierecords, %ld "
            "historiewaarderingen.\n",
            file.c_str(), s.owners, s.buildings, s.categories, s.investmentCategories, s.assets, s.assetValuations,
            s.history, s.historyValuations);
        return 0;
    } catch (const DemoDatabaseError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

}  // namespace zelk::cli
