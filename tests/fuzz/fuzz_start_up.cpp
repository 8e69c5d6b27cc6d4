// The whole main window and its preferences start from whatever the settings store holds,
// and close again: the inputs of fuzz_settings, taken all the way into the controls.
#include "app/error_report.h"
#include "app/settings.h"
#include "fuzz_options.h"
#include "mainwindow/frm_main.h"
#include "platform/headless/headless_services.h"
#include "prefs/frm_prefs.h"
#include "stored_settings_input.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorn;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // One platform for the whole run (its in-memory desktop alone is 8 MB; making it per
    // input cost more than the start-up). What the start-up reads or changes is put back
    // for each input -- the store, the files, the clock, the boxes shown -- so an input
    // behaves the same alone as after any other, and a finding reproduces from its file.
    static headless::HeadlessServices& h = []() -> headless::HeadlessServices& {
        static headless::HeadlessServices services;
        services.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
        services.screen.setMonitors({{0, 0, 64, 48}});
        return services;
    }();
    h.registry = headless::MemoryRegistry{};
    // The start-up makes some hundred registry calls; a log of each is for tests to read.
    h.registry.recordCalls = false;
    h.files = headless::MemoryFileSystem{};
    h.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
    h.files.addFolder("C:\\Program Files\\Pictorn");
    h.clock.time = headless::FakeClock{}.time;
    h.messageBox.shown.clear();
    plantStoredSettings(h.registry, input);
    app::PreferenceStore preferences(h.services);
    FrmMain main(h.services, preferences);
    main.show();
    // The loaded preferences are used at once by the window's own texts and by a capture.
    (void)main.txtInfo.text();
    // Bytes that do not unscramble raise error 5, which the mail and FTP loaders ignore.
    for (const char* name : {"MailSMTPauthPW", "FTPPw"})
        app::ignoreErrors([&] { (void)main.settings().readPassword(name); });
    main.unload();
    return 0;
}
