#include "program_icon.h"

#include <QDir>

// The icons are a resource of a static library, which nothing else would
// pull into the program; and the macro must stand outside any namespace.
static void loadWindowIcons() { Q_INIT_RESOURCE(window_icons); }

namespace zelk {

QIcon programIcon() {
    // Drawn at build time from the package's SVG in several sizes: Qt reads
    // SVG only with a plugin the package would have to bring along.
    loadWindowIcons();
    QIcon icon;
    for (const QString& file : QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.png")}))
        icon.addFile(QStringLiteral(":/icons/") + file);
    return icon;
}

}  // namespace zelk
