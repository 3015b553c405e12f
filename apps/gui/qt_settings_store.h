#pragma once
// The per-user settings in Qt's native store, under the organisation "VB and
// VBA Program Settings" with one application per name asked for.

#include <QSettings>
#include <map>
#include <memory>

#include "platform/settings_store.h"

namespace zelk {

class QtSettingsStore : public SettingsStore {
public:
    static constexpr const char* kOrganisation = "VB and VBA Program Settings";

    std::optional<std::string> get(const std::string& app, const std::string& section,
                                   const std::string& key) const override;
    void set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
    // Writes pending changes out now (the program may end without clean-up).
    void sync();

private:
    QSettings& store(const std::string& app) const;
    mutable std::map<std::string, std::unique_ptr<QSettings>> stores_;
};

}  // namespace zelk
