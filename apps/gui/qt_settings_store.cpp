#include "qt_settings_store.h"

namespace zelk {
namespace {

QString keyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

}  // namespace

QSettings& QtSettingsStore::store(const std::string& app) const {
    auto& s = stores_[app];
    if (!s) s = std::make_unique<QSettings>(QString::fromLatin1(kOrganisation), QString::fromStdString(app));
    return *s;
}

std::optional<std::string> QtSettingsStore::get(const std::string& app, const std::string& section,
                                                const std::string& key) const {
    const QVariant v = store(app).value(keyOf(section, key));
    if (!v.isValid()) return std::nullopt;
    // An ini file edited by hand may hold "a,b" unquoted, which reads as a list.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toStdString();
    return v.toString().toStdString();
}

void QtSettingsStore::set(const std::string& app, const std::string& section, const std::string& key,
                          const std::string& value) {
    store(app).setValue(keyOf(section, key), QString::fromStdString(value));
}

void QtSettingsStore::sync() {
    for (auto& [app, s] : stores_) s->sync();
}

}  // namespace zelk
