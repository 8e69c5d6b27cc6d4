#include "app/preference_store.h"

#include "app/error_report.h"

#include <utility>
#include <vector>

namespace pictorn::app {

PreferenceStore::PreferenceStore(platform::Services& services)
    : registry_(services.registry, services.messageBox), settings_(registry_, services.protection) {
}

void PreferenceStore::load() {
    const Preferences loaded = preferenceTable().load(settings_);
    change([&](Preferences& values) { values = loaded; });
}

void PreferenceStore::change(const std::function<void(Preferences&)>& edit) {
    const Preferences before = values_;
    edit(values_);
    if (values_ == before)
        return;
    // A listener may listen or stop listening while it is told.
    std::vector<Listener> told;
    for (const auto& [id, listener] : listeners_)
        told.push_back(listener);
    for (const Listener& listener : told)
        listener(before);
}

void PreferenceStore::save(Written moment) {
    preferenceTable().save(settings_, values_, moment);
}

bool PreferenceStore::saveAtDone() {
    return savePreferencesAtDone(settings_, values_);
}

PreferenceStore::Subscription PreferenceStore::listen(Listener listener) {
    listeners_.emplace(nextId_, std::move(listener));
    return Subscription(*this, nextId_++);
}

PreferenceStore::Subscription&
PreferenceStore::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        if (store_)
            store_->listeners_.erase(id_);
        store_ = std::exchange(other.store_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

PreferenceStore::Subscription::~Subscription() {
    if (store_)
        store_->listeners_.erase(id_);
}

} // namespace pictorn::app
