#include "file_filter.h"

#include <QRegularExpression>

namespace zelk {

QStringList QtFileFilters(const std::string& filter) {
    QStringList out;
    const QStringList parts = QString::fromStdString(filter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(';', ' ');
        // "*.*" means every file, also one without an extension.
        QStringList list = patterns.split(' ', Qt::SkipEmptyParts);
        for (QString& p : list)
            if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
        patterns = list.join(' ');
        if (patterns.isEmpty()) continue;
        // The description often repeats the patterns in parentheses already;
        // Qt reads the patterns from the last parentheses, so put ours there.
        static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
        description.remove(trailing);
        if (description.isEmpty()) description = patterns;
        out << description + QStringLiteral(" (") + patterns + ')';
    }
    if (out.isEmpty()) out << QStringLiteral("Alle bestanden (*)");
    return out;
}

}  // namespace zelk
