#include "export_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "database/field_value.h"
#include "nearest_name.h"
#include "option_parser.h"
#include "os/regular_file.h"
#include "runtime/dates.h"
#include "runtime/runtime_error.h"

namespace zelk::cli {
namespace {

const std::vector<ExportChoice> kExports{
    {"roerend", "roerend.xlsx", ExportKind::Roerend},
    {"onroerend", "onroerend.xlsx", ExportKind::Onroerend},
    {"mapping", "mapping.xlsx", ExportKind::Mapping},
};

ExportArguments failed(std::string why) { return {std::nullopt, std::move(why)}; }

// Exactly YYYY-MM-DDTHH:MM:SS: a run that fixes its clock must not guess.
std::optional<Date> exactDateTime(const std::string& text) {
    if (text.size() != 19 || text[10] != 'T' || text[16] != ':') return std::nullopt;
    return parseIsoDate(text);
}

// The asset exports also read the month before the date, which the runtime's
// calendar must hold too: else the run would stop only once it had begun.
bool looksBackAMonth(Date d) {
    try {
        addMonths(d, -1);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The first line of the file, without its line end. Only a regular file,
// and only its first few kilobytes: a folder, a FIFO, a device or a huge
// file named by mistake must be refused, not waited on or read for ever.
std::optional<std::string> passwordFromFile(const std::string& path) {
    constexpr std::size_t kMostBytes = 4096;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(os::openRegularFile(path, "rb"), &std::fclose);
    if (!in) return std::nullopt;
    std::string text(kMostBytes, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in.get()));
    if (std::ferror(in.get())) return std::nullopt;
    const std::size_t end = text.find('\n');
    if (end == std::string::npos && text.size() == kMostBytes) return std::nullopt;
    text = text.substr(0, end);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

}  // namespace

ExportArguments parseExportArguments(const std::vector<std::string>& args) {
    QCommandLineParser parser;
    const QCommandLineOption database({"d", "database"}, {}, "BESTAND");
    const QCommandLineOption password({"p", "password"}, {}, "TEKST");
    const QCommandLineOption passwordFile("password-file", {}, "BESTAND");
    const QCommandLineOption date({"D", "date"}, {}, "DATUM");
    const QCommandLineOption output({"o", "output"}, {}, "MAP");
    const QCommandLineOption now("now", {}, "DATUMTIJD");
    const QCommandLineOption help(QStringList{"h", "help"});
    if (auto error = parseCommandLine(parser, args, {&database, &password, &passwordFile, &date, &output, &now, &help}))
        return failed(*error);

    ExportOptions o;
    o.help = parser.isSet(help);
    if (o.help) return {o, ""};
    if (parser.isSet(database)) {
        o.database = toStd(parser.value(database));
        // An empty name would quietly stand for the one in the settings.
        if (o.database->empty()) return failed("--database verwacht een bestand");
    }
    if (parser.isSet(password) && parser.isSet(passwordFile))
        return failed("Geef --password of --password-file, niet allebei.");
    if (parser.isSet(password)) {
        o.password = toStd(parser.value(password));
    } else if (parser.isSet(passwordFile)) {
        const std::string file = toStd(parser.value(passwordFile));
        o.password = passwordFromFile(file);
        if (!o.password) return failed("Wachtwoordbestand kan niet worden gelezen: '" + file + "'");
    } else if (const char* fromEnvironment = std::getenv("ZELK_PASSWORD")) {
        o.password = fromEnvironment;
    }
    if (parser.isSet(date)) {
        const std::string text = toStd(parser.value(date));
        o.date = parseDate(text);
        if (!o.date) return failed("Ongeldige --date: '" + text + "' (DD-MM-JJJJ of JJJJ-MM-DD)");
        if (!looksBackAMonth(*o.date))
            return failed("Ongeldige --date: '" + text + "' (van 1-2-100 tot en met 31-12-9999)");
    }
    if (parser.isSet(now)) {
        const std::string text = toStd(parser.value(now));
        o.now = exactDateTime(text);
        if (!o.now) return failed("Ongeldige --now: '" + text + "' (JJJJ-MM-DDTUU:MM:SS)");
    }
    if (parser.isSet(output)) o.output = toStd(parser.value(output));
    if (o.output.empty()) return failed("--output verwacht een map");

    for (const QString& word : parser.positionalArguments()) {
        const std::string w = toStd(word);
        if (w == "all") {
            o.exports.insert(o.exports.end(), kExports.begin(), kExports.end());
            continue;
        }
        const auto chosen =
            std::find_if(kExports.begin(), kExports.end(), [&](const ExportChoice& e) { return w == e.word; });
        if (chosen == kExports.end()) {
            std::vector<std::string> words;
            for (const ExportChoice& e : kExports) words.push_back(e.word);
            words.push_back("all");
            return failed("Onbekende export '" + w + "'." + suggestion(w, words));
        }
        o.exports.push_back(*chosen);
    }
    if (o.exports.empty()) return failed("Geen export opgegeven");
    return {o, ""};
}

}  // namespace zelk::cli
