#pragma once
// Per-user stored settings: text values under application, section and key.

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace zelk {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> get(const std::string& app, const std::string& section,
                                           const std::string& key) const = 0;
    virtual void set(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;

    // GetSetting with a default for a key that does not exist.
    std::string value(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& fallback) const {
        auto v = get(app, section, key);
        return v ? *v : fallback;
    }
};

class MemorySettings : public SettingsStore {
public:
    std::optional<std::string> get(const std::string& app, const std::string& section,
                                   const std::string& key) const override {
        auto it = values_.find({app, section, key});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override {
        values_[{app, section, key}] = value;
    }
    const std::map<std::tuple<std::string, std::string, std::string>, std::string>& all() const { return values_; }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

}  // namespace zelk
