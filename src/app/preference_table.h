#pragma once
// The table of the main window's and the preferences' stored values (app/setting_table.h):
// for each, the typed member of app::Preferences, the stored name, the default, the range or
// choice list, how it is stored and when it is written. Loading, the write orders, the
// checks of stored texts and the Default buttons all come from it. A new preference is one
// line in the table (preference_table.cpp) plus its control.
#include "app/preferences.h"
#include "app/setting_table.h"

namespace pictorn::app {

using PreferenceRow = SettingRow<Preferences>;

const SettingTable<Preferences>& preferenceTable();

// preferenceTable().defaults(): what a first start shows and the Default buttons restore.
const Preferences& defaultPreferences();

// Done's writes in table order, auto-save's own only while it is on. With auto-save on and
// no folder given, the writes stop before the folder and the answer is false: what was
// written stays written.
bool savePreferencesAtDone(SettingsStore& store, const Preferences& values);
// Whether Done may store this auto-save folder.
bool autoSaveFolderGiven(const Preferences& values);

} // namespace pictorn::app
