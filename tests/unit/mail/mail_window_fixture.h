#pragma once
// The mail window over headless services: settings in a memory registry, files in memory,
// and a recording sender in place of the SMTP client (tests that need a real server bring
// their own).
#include "app/registry.h"
#include "app/settings.h"
#include "mail/frm_sendmail.h"
#include "platform/headless/headless_services.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace pictorn::mail::testing {

inline constexpr const char* kRoaming = "C:\\Users\\ann\\AppData\\Roaming";
inline constexpr const char* kDataFolder =
    "C:\\Users\\ann\\AppData\\Roaming\\Orvanta software\\Pictorn\\";
inline constexpr const char* kPicture =
    "C:\\Users\\ann\\AppData\\Roaming\\Orvanta software\\Pictorn\\Pictorn.png";
inline constexpr const char* kBodyFile =
    "C:\\Users\\ann\\AppData\\Roaming\\Orvanta software\\Pictorn\\email_body_text.txt";

struct SentMail {
    net::MailMessage message;
    net::SmtpOptions options;
};

class MailWindowTest : public ::testing::Test {
protected:
    MailWindowTest() {
        platform.shell.specialFolders[platform::kCsidlAppData] = kRoaming;
        platform.files.addFile(kPicture, "\x89PNG picture bytes");
    }

    // Opens the window over the main window, lets `user` act while it is shown, then
    // closes it the way the close box does if the script has not.
    void open(const std::function<void(FrmSendmail&)>& user,
              const std::string& imageToAttach = kPicture) {
        platform.ui.onModal("frmSendmail", [&](ui::Form& form) {
            auto& window = static_cast<FrmSendmail&>(form);
            openDuring = mailOrFtpOpen;
            user(window);
        });
        showSendMail(platform.services, store, mainWindow, imageToAttach, mailOrFtpOpen, nullptr,
                     [this](const net::MailMessage& message, const net::SmtpOptions& options,
                            const platform::AbortCheck& abort) {
                         sent.push_back({message, options});
                         return sender ? sender(abort) : result;
                     });
    }

    std::optional<std::string> stored(std::string_view name) { return store.readText(name); }

    headless::HeadlessServices platform;
    app::Registry registry{platform.registry, platform.messageBox};
    app::SettingsStore store{registry, platform.protection};
    ui::Form mainWindow{platform.ui, "frmMain"};
    bool mailOrFtpOpen = false;
    bool openDuring = false;
    // What the sender answers; `sender`, when set, runs instead (on the worker thread).
    net::SendResult result{net::SessionStatus::Ok, "", "iso-8859-1"};
    std::function<net::SendResult(const platform::AbortCheck&)> sender;
    std::vector<SentMail> sent;
};

} // namespace pictorn::mail::testing
