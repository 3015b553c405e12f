#include "option_parser.h"

#include <QStringList>

#include "nearest_name.h"

namespace zelk::cli {
namespace {

// Qt's parser explains a value error in English; the program speaks Dutch.
std::string valueError(const QString& qtText) {
    const qsizetype open = qtText.indexOf('\'');
    const qsizetype close = qtText.lastIndexOf('\'');
    const std::string name = open >= 0 && close > open ? toStd(qtText.mid(open + 1, close - open - 1)) : "";
    if (qtText.startsWith(QStringLiteral("Missing value"))) return "Waarde ontbreekt na '" + name + "'.";
    if (qtText.startsWith(QStringLiteral("Unexpected value"))) return "'" + name + "' heeft geen waarde.";
    return toStd(qtText);
}

// The option with the dashes it was typed with ("-hx" stays "-hx").
std::string asTyped(const std::string& name, const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        const std::size_t start = a.find_first_not_of('-');
        if (start == 0 || start == std::string::npos) continue;
        if (a.substr(start, a.find('=') - start) == name) return a.substr(0, start) + name;
    }
    return "--" + name;
}

}  // namespace

std::string toStd(const QString& text) { return text.toStdString(); }

std::optional<std::string> parseCommandLine(QCommandLineParser& parser, const std::vector<std::string>& args,
                                            const std::vector<const QCommandLineOption*>& options) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto* o : options) parser.addOption(*o);
    // Qt takes the first word for the program's name.
    QStringList list{QStringLiteral("zelkextract2-cli")};
    for (const std::string& a : args) list << QString::fromStdString(a);
    if (parser.parse(list)) return std::nullopt;
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) return valueError(parser.errorText());
    std::vector<std::string> names;
    for (const auto* o : options) names.push_back(toStd(o->names().last()));
    const std::string typed = toStd(unknown.first());
    return "Onbekende optie '" + asTyped(typed, args) + "'." + suggestion(typed, names, "--");
}

}  // namespace zelk::cli
