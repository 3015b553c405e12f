#pragma once
// The command line of a command, read with Qt's parser (--opt value,
// --opt=value, short forms), its usage errors told in Dutch with a hint for
// a mistyped option.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>
#include <string>
#include <vector>

namespace zelk::cli {

// Parses `args` (what follows the command word) with `options`; the line that
// explains a usage error, or nothing when the parser may be read.
std::optional<std::string> parseCommandLine(QCommandLineParser& parser, const std::vector<std::string>& args,
                                            const std::vector<const QCommandLineOption*>& options);

std::string toStd(const QString& text);

}  // namespace zelk::cli
