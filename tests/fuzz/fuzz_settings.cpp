// Whatever the settings store holds -- other programs, older versions and users can write
// anything of any type there -- is decoded by the registry layer, the settings store and
// the typed settings, and written back as the program would.
// The input is read as stored_settings_input.h says. fuzz_start_up takes the same inputs through
// the whole window start-up into the controls.
#include "app/mail_ftp_settings.h"
#include "app/preference_table.h"
#include "fuzz_options.h"
#include "platform/headless/fake_data_protection.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/scripted_message_box.h"
#include "stored_settings_input.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorn;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    headless::MemoryRegistry api;
    api.recordCalls = false;
    headless::ScriptedMessageBox box;
    app::Registry registry(api, box);
    headless::FakeDataProtection protection;
    app::SettingsStore store(registry, protection);
    plantStoredSettings(api, input);
    const app::Preferences preferences = app::preferenceTable().load(store);
    (void)app::savePreferencesAtDone(store, preferences);
    (void)app::pictureExtension(preferences.extensionIndex);
    (void)app::mailSettingsTable().load(store);
    (void)app::ftpSettingsTable().load(store);
    // Nothing read may leave a key open or show a message.
    if (api.openHandles() != 0 || !box.shown.empty())
        __builtin_trap();
    return 0;
}
