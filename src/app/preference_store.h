#pragma once
// The program's preferences while it runs: made beside the main window and handed down
// like the services. It loads them at start-up, saves them when asked (Done, closing, the
// commands that keep a value of their own) and tells its listeners whenever a value
// changes, so whoever acts on a preference (the main window's caption, timer, keep-on-top)
// follows every change, whoever made it.
#include "app/preference_table.h"
#include "app/registry.h"
#include "app/settings.h"
#include "platform/services.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>

namespace pictorn::app {

class PreferenceStore {
public:
    // Called after a change with the values before it; the new ones are values().
    using Listener = std::function<void(const Preferences& before)>;

    explicit PreferenceStore(platform::Services& services);
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    // Creates the settings key and reads every value (a first start: the defaults).
    void load();
    const Preferences& values() const { return values_; }
    // Edits the values; listeners hear of it when anything changed.
    void change(const std::function<void(Preferences&)>& edit);
    // Writes the values of one moment (preference_table.h).
    void save(Written moment);
    // Done's writes: false when auto-save has no folder (savePreferencesAtDone).
    bool saveAtDone();

    // Listens until the answer is gone.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(PreferenceStore& store, std::size_t id) : store_(&store), id_(id) {}
        Subscription(Subscription&& other) noexcept { *this = std::move(other); }
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription();

    private:
        PreferenceStore* store_ = nullptr;
        std::size_t id_ = 0;
    };
    [[nodiscard]] Subscription listen(Listener listener);

    // The settings key, for the windows that keep their own groups there (mail, FTP).
    SettingsStore& settings() { return settings_; }

private:
    Registry registry_;
    SettingsStore settings_;
    Preferences values_ = defaultPreferences();
    std::map<std::size_t, Listener> listeners_;
    std::size_t nextId_ = 0;
};

} // namespace pictorn::app
