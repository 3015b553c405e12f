#pragma once
// Per-user settings in Qt's native store, under the organisation the
// original program's settings live in on Windows, so both find the same keys.

#include "platform/settings_store.h"

namespace zelk {

class QtSettingsStore : public SettingsStore {
public:
    static constexpr const char* kOrganisation = "VB and VBA Program Settings";

    std::optional<std::string> get(const std::string& app, const std::string& section,
                                   const std::string& key) const override;
    void set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace zelk
