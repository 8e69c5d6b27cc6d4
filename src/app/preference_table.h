#pragma once
// The one table of the main window's stored values: for each, the typed member of
// app::Preferences, the stored name, the default, the range or choice list, how it is
// stored and when it is written. Loading, the write orders, the checks of stored texts and
// the Default buttons all come from it. A new preference is one line in the table
// (preference_table.cpp) plus its control.
#include "app/preferences.h"
#include "app/settings.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pictorn::app {

// When a value reaches the store. Values of one moment are written in table order.
enum class Written {
    AtClose,           // the main window closes
    AtDone,            // the preferences' Done
    AtDoneIfAutoSave,  // Done, only while auto-save is on
    AfterSaveAs,       // Save As saved a picture
    AfterHotkeyNotice, // the taken-hotkeys notice
};

struct PreferenceRow {
    std::string_view name;
    Written when;
    // An empty stored text counts as missing.
    bool emptyIsMissing = false;
    // Puts the default in place.
    std::function<void(Preferences&)> reset;
    // Takes a stored text; false when it cannot be used, and the value is then the
    // default, except a plain check box, which stays unchecked as the box is made.
    std::function<bool(Preferences&, std::string_view)> load;
    // The stored text; nothing when there is nothing to write (a window position never
    // taken).
    std::function<std::optional<std::string>(const Preferences&)> text;
    // Done writes the value only when this allows it (empty: always) and stops there
    // otherwise.
    std::function<bool(const Preferences&)> readyAtDone;
};

std::span<const PreferenceRow> preferenceTable();

// Every value at its default: what a first start shows and the Default buttons restore.
const Preferences& defaultPreferences();

// Every value from the store; a missing or unusable one takes its default (see load).
// Never raises and never shows a message.
Preferences loadPreferences(SettingsStore& store);

// Writes the values of one moment in table order; a write that fails is skipped.
void savePreferences(SettingsStore& store, const Preferences& values, Written moment);

// Done's writes in table order, auto-save's own only while it is on. With auto-save on and
// no folder given, the writes stop before the folder and the answer is false: what was
// written stays written.
bool savePreferencesAtDone(SettingsStore& store, const Preferences& values);
// Whether Done may store this auto-save folder.
bool autoSaveFolderGiven(const Preferences& values);

} // namespace pictorn::app
