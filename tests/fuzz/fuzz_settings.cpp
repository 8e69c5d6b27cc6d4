// Whatever the settings store holds -- other programs, older versions and users can write
// anything of any type there -- the main window and its preferences start from it. The
// input is split at zero bytes into one value per catalogue entry; the first byte of each
// value picks its stored type.
#include "app/error_report.h"
#include "app/settings.h"
#include "mainwindow/frm_main.h"
#include "platform/headless/headless_services.h"
#include "prefs/frm_prefs.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::uint32_t kTypes[] = {1 /* REG_SZ */, 2 /* REG_EXPAND_SZ */, 3 /* REG_BINARY */,
                                    4 /* REG_DWORD */};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorn;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // One platform for the whole run (its in-memory desktop alone is 8 MB); the store is
    // made anew for each input.
    static headless::HeadlessServices& h = []() -> headless::HeadlessServices& {
        static headless::HeadlessServices services;
        services.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
        services.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
        services.files.addFolder("C:\\Program Files\\Pictorn");
        services.screen.setMonitors({{0, 0, 64, 48}});
        return services;
    }();
    h.registry = headless::MemoryRegistry{};
    h.messageBox.shown.clear();
    constexpr std::string_view key = "Software\\Orvanta\\Pictorn";
    for (const app::SettingDef& setting : app::kSettingsCatalogue) {
        if (input.empty())
            break;
        const std::size_t end = std::min(input.find('\0'), input.size());
        std::string_view value = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));
        if (value.empty())
            continue; // this value is missing
        const std::uint32_t type = kTypes[static_cast<unsigned char>(value[0]) % 4];
        value.remove_prefix(1);
        h.registry.plant(app::kHkeyCurrentUser, key, setting.name, type, value);
    }
    FrmMain main(h.services);
    main.show();
    // The loaded preferences are used at once by the window's own texts and by a capture.
    (void)main.txtInfo.text();
    // Bytes that do not unscramble raise error 5, which the mail and FTP loaders ignore.
    for (const char* name : {"MailSMTPauthPW", "FTPPw"})
        app::ignoreErrors([&] { (void)main.settings().readPassword(name); });
    main.unload();
    return 0;
}
