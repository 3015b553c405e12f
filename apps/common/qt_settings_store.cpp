#include "qt_settings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>

namespace zelk {
namespace {

QString keyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

}  // namespace

std::optional<std::string> QtSettingsStore::get(const std::string& app, const std::string& section,
                                                const std::string& key) const {
    const QSettings settings(kOrganisation, QString::fromStdString(app));
    const QVariant v = settings.value(keyOf(section, key));
    if (!v.isValid()) return std::nullopt;
    // An unquoted "a,b" typed into the settings file reads back as a list.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(",").toStdString();
    return v.toString().toStdString();
}

void QtSettingsStore::set(const std::string& app, const std::string& section, const std::string& key,
                          const std::string& value) {
    QSettings settings(kOrganisation, QString::fromStdString(app));
    settings.setValue(keyOf(section, key), QString::fromStdString(value));
}

}  // namespace zelk
