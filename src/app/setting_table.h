#pragma once
// The one way a window's stored values are described, loaded, written and defaulted: a table
// of rows, one a value (the typed member, the stored name, the default, how a stored text is
// checked, the stored form and when it is written). The main window's and the preferences'
// table is in preference_table.cpp, the mail and FTP windows' in mail_ftp_settings.cpp; the
// row makers below are shared by both.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/settings.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace pictorn::app {

// When a value reaches the store. Values of one moment are written in table order.
enum class Written {
    AtClose,           // its window closes (the main window; the mail or FTP window)
    AtDone,            // the preferences' Done
    AtDoneIfAutoSave,  // Done, only while auto-save is on
    AfterSaveAs,       // Save As saved a picture
    AfterHotkeyNotice, // the taken-hotkeys notice
};

template <class Values> struct SettingRow {
    std::string_view name;
    Written when;
    // An empty stored text counts as missing.
    bool emptyIsMissing = false;
    // Stored as a password, sealed for the current user (SettingsStore::writePassword).
    bool sealed = false;
    // Puts the default in place.
    std::function<void(Values&)> reset;
    // Takes a stored text; false when it cannot be used, and the value is then the
    // default, except a plain check box, which stays unchecked as the box is made.
    std::function<bool(Values&, std::string_view)> load;
    // The stored text; nothing when there is nothing to write (a window position never
    // taken).
    std::function<std::optional<std::string>(const Values&)> text;
    // Done writes the value only when this allows it (empty: always) and stops there
    // otherwise.
    std::function<bool(const Values&)> readyAtDone;
    // Read only when this allows it, seeing the values read before (empty: always).
    std::function<bool(const Values&)> readWhen;
};

template <class Values> class SettingTable {
public:
    using Row = SettingRow<Values>;

    explicit SettingTable(std::vector<Row> rows) : rows_(std::move(rows)) {
        for (const Row& r : rows_)
            r.reset(defaults_);
    }

    std::span<const Row> rows() const { return rows_; }

    // Every value at its default: what a first start shows and the Default buttons restore.
    const Values& defaults() const { return defaults_; }

    // Creates the settings key, then reads every value in table order; a missing or
    // unusable one takes its default (see Row::load). Never raises, never shows a message.
    Values load(SettingsStore& store) const {
        ignoreErrors([&] { store.createKey(); });
        Values values = defaults_;
        for (const Row& r : rows_) {
            if (r.readWhen && !r.readWhen(values))
                continue;
            ignoreErrors([&] {
                if (r.sealed) {
                    r.load(values, store.readPassword(r.name));
                    return;
                }
                const std::optional<std::string> stored = store.readText(r.name);
                if (stored && !(r.emptyIsMissing && stored->empty()))
                    r.load(values, *stored);
            });
        }
        return values;
    }

    // Writes the values of one moment in table order; a write that fails is skipped.
    void save(SettingsStore& store, const Values& values, Written moment) const {
        for (const Row& r : rows_)
            if (r.when == moment)
                write(store, r, values);
    }

    // One row's value; a write that fails is skipped.
    static void write(SettingsStore& store, const Row& r, const Values& values) {
        ignoreErrors([&] {
            const std::optional<std::string> text = r.text(values);
            if (!text)
                return;
            if (r.sealed)
                store.writePassword(r.name, *text);
            else
                store.writeText(r.name, *text);
        });
    }

private:
    std::vector<Row> rows_;
    Values defaults_{};
};

// The row makers the tables are written with.
namespace rows {

inline std::string onOff(bool on) {
    return on ? "1" : "0";
}

// Reaches a member of the values, const or not.
template <class V, class T> auto member(T V::*m) {
    return [m](auto& values) -> auto& {
        return values.*m;
    };
}

// One row. `parse` turns a stored text into the value (nothing: unusable); `unusable` is what
// such a text gives (nothing: the default).
template <class V, class T, class Ref>
SettingRow<V> row(std::string_view name, Written when, Ref ref, T fallback,
                  std::function<std::optional<T>(std::string_view)> parse,
                  std::function<std::string(const T&)> format,
                  std::optional<T> unusable = std::nullopt, bool emptyIsMissing = false) {
    T whenUnusable = unusable ? std::move(*unusable) : fallback;
    return {name,
            when,
            emptyIsMissing,
            false,
            [ref, fallback](V& v) { ref(v) = fallback; },
            [ref, parse, whenUnusable](V& v, std::string_view text) {
                std::optional<T> value = parse(text);
                ref(v) = value ? std::move(*value) : whenUnusable;
                return value.has_value();
            },
            [ref, format](const V& v) -> std::optional<std::string> { return format(ref(v)); },
            {},
            {}};
}

// A check box stored as 0, 1 or 2 (greyed). Most readers act only on a checked box; some on
// any state but unchecked. A text that is none of these leaves the box unchecked, as it is
// made.
template <class V>
SettingRow<V> check(bool V::*m, std::string_view name, bool fallback, Written when,
                    bool anyStateCounts = false) {
    return row<V, bool>(
        name, when, member(m), fallback,
        [anyStateCounts](std::string_view text) -> std::optional<bool> {
            const auto state = numberWithin(text, 0, 2);
            if (!state)
                return std::nullopt;
            return anyStateCounts ? *state != 0 : *state == 1;
        },
        onOff, false);
}

// A text kept as typed; an empty stored one is a value like any other.
template <class V>
SettingRow<V> text(std::string V::*m, std::string_view name, std::string_view fallback,
                   Written when) {
    return row<V, std::string>(
        name, when, member(m), std::string(fallback),
        [](std::string_view stored) { return std::optional(std::string(stored)); },
        [](const std::string& value) { return value; });
}

// A password, stored sealed; one that cannot be read or opened is empty.
template <class V> SettingRow<V> password(std::string V::*m, std::string_view name, Written when) {
    SettingRow<V> r = text(m, name, "", when);
    r.sealed = true;
    return r;
}

// Done stores this value only when `ready` says it may, and stops there otherwise.
template <class V>
SettingRow<V> onlyWhen(SettingRow<V> r, std::type_identity_t<std::function<bool(const V&)>> ready) {
    r.readyAtDone = std::move(ready);
    return r;
}

// Read only when `wanted` says so, seeing the values read before.
template <class V>
SettingRow<V> readOnlyWhen(SettingRow<V> r,
                           std::type_identity_t<std::function<bool(const V&)>> wanted) {
    r.readWhen = std::move(wanted);
    return r;
}

} // namespace rows
} // namespace pictorn::app
