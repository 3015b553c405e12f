#include "export_options.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "exact_date_time.h"
#include "nearest_name.h"
#include "runtime/dates.h"

namespace zelk::cli {
namespace {

const std::vector<std::string> kExportWords{"roerend", "onroerend", "mapping", "all"};

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

ExportArguments failed(std::string why) { return {std::nullopt, std::move(why)}; }

// Qt's parser explains a value error in English; the program speaks Dutch.
std::string valueError(const QString& qtText) {
    const qsizetype open = qtText.indexOf('\'');
    const qsizetype close = qtText.lastIndexOf('\'');
    const std::string name = open >= 0 && close > open ? s(qtText.mid(open + 1, close - open - 1)) : "";
    if (qtText.startsWith(QStringLiteral("Missing value"))) return "Waarde ontbreekt na '" + name + "'.";
    if (qtText.startsWith(QStringLiteral("Unexpected value"))) return "'" + name + "' heeft geen waarde.";
    return s(qtText);
}

// The first line of the file, without its line end.
std::optional<std::string> passwordFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) return std::nullopt;
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

}  // namespace

ExportArguments parseExportArguments(const std::vector<std::string>& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption database({"d", "database"}, {}, "BESTAND");
    const QCommandLineOption password({"p", "password"}, {}, "TEKST");
    const QCommandLineOption passwordFile("password-file", {}, "BESTAND");
    const QCommandLineOption date({"D", "date"}, {}, "DATUM");
    const QCommandLineOption output({"o", "output"}, {}, "MAP");
    const QCommandLineOption now("now", {}, "DATUMTIJD");
    const QCommandLineOption help(QStringList{"h", "help"});
    const std::initializer_list<const QCommandLineOption*> all{&database, &password, &passwordFile, &date,
                                                               &output,   &now,      &help};
    for (const auto* o : all) parser.addOption(*o);

    QStringList list{QStringLiteral("export")};
    for (const std::string& a : args) list << q(a);
    if (!parser.parse(list)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) return failed(valueError(parser.errorText()));
        std::vector<std::string> names;
        for (const auto* o : all) names.push_back(s(o->names().last()));
        const std::string typed = s(unknown.first());
        const std::string dashes = typed.size() == 1 ? "-" : "--";
        return failed("Onbekende optie '" + dashes + typed + "'." + suggestion(typed, names, "--"));
    }

    ExportOptions o;
    o.help = parser.isSet(help);
    if (o.help) return {o, ""};
    if (parser.isSet(database)) o.database = s(parser.value(database));
    if (parser.isSet(password) && parser.isSet(passwordFile))
        return failed("Geef --password of --password-file, niet allebei.");
    if (parser.isSet(password)) {
        o.password = s(parser.value(password));
    } else if (parser.isSet(passwordFile)) {
        const std::string file = s(parser.value(passwordFile));
        o.password = passwordFromFile(file);
        if (!o.password) return failed("Wachtwoordbestand kan niet worden gelezen: '" + file + "'");
    } else if (const char* fromEnvironment = std::getenv("ZELK_PASSWORD")) {
        o.password = fromEnvironment;
    }
    if (parser.isSet(date)) {
        o.date = s(parser.value(date));
        if (!parseDate(*o.date)) return failed("Ongeldige --date: '" + *o.date + "' (DD-MM-JJJJ of JJJJ-MM-DD)");
    }
    if (parser.isSet(now)) {
        const std::string text = s(parser.value(now));
        const auto parts = parseExactDateTime(text);
        if (!parts) return failed("Ongeldige --now: '" + text + "' (JJJJ-MM-DDTUU:MM:SS)");
        o.now = makeDateTime(*parts);
    }
    if (parser.isSet(output)) o.output = s(parser.value(output));
    if (o.output.empty()) return failed("--output verwacht een map");

    for (const QString& word : parser.positionalArguments()) {
        const std::string w = s(word);
        if (w == "all") {
            o.exports.insert(o.exports.end(), kExportWords.begin(), kExportWords.end() - 1);
        } else if (w == "roerend" || w == "onroerend" || w == "mapping") {
            o.exports.push_back(w);
        } else {
            return failed("Onbekende export '" + w + "'." + suggestion(w, kExportWords));
        }
    }
    if (o.exports.empty()) return failed("Geen export opgegeven");
    return {o, ""};
}

}  // namespace zelk::cli
