// The FTP window without windows: its settings, the file list, the checks before a session
// and the outcome of sessions against a real local FTP server (pyftpdlib, by pid), which
// run on a worker thread while the window's thread waits for events.
#include "app/registry.h"
#include "app/settings.h"
#include "ftp/frm_ftp.h"
#include "platform/headless/headless_services.h"
#include "platform/posix/posix_network.h"
#include "support/server_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace pictorn {
namespace {

namespace fs = std::filesystem;
using headless::HeadlessServices;
using platform::mb::kIconExclamation;
using platform::mb::kIconInformation;

constexpr const char* kPicture =
    "C:\\Users\\me\\AppData\\Roaming\\Orvanta software\\Pictorn\\Pictorn.png";

// The list's answer to "which entry is here": rows of 15 pixels, as a list box answers
// (below the last entry: the last index with the flag in the upper half).
class RowsPeer : public ui::ControlPeer, public ui::ItemHitTest {
public:
    explicit RowsPeer(const ui::ListControl& list) : list_(list) {}
    void update(const ui::Control&, ui::Property) override {}
    long itemFromPoint(int, int yPixels) const override {
        const long row = yPixels / 15;
        const long count = static_cast<long>(list_.items().size());
        return row < count ? row : (0x10000L | (count - 1));
    }

private:
    const ui::ListControl& list_;
};

// Every value a control is given, in order.
class ValuesPeer : public ui::ControlPeer {
public:
    void update(const ui::Control& control, ui::Property what) override {
        if (what == ui::Property::Value)
            values.push_back(static_cast<const ui::ProgressBar&>(control).value());
    }
    std::vector<int> values;
};

// The real network, counting the connections asked for.
class CountingNetwork final : public platform::Network {
public:
    explicit CountingNetwork(platform::Network& real) : real_(real) {}
    platform::NetResult connect(std::unique_ptr<platform::ByteStream>& connected,
                                const std::string& host, std::uint16_t port, int timeoutMs,
                                const platform::AbortCheck& abort) override {
        ++connects;
        return real_.connect(connected, host, port, timeoutMs, abort);
    }
    platform::NetResult listen(std::unique_ptr<platform::Listener>& listener,
                               const std::string& localIp) override {
        return real_.listen(listener, localIp);
    }
    int connects = 0;

private:
    platform::Network& real_;
};

class FtpWindow : public ::testing::Test {
protected:
    void SetUp() override { platform.files.addFile(kPicture, "picture bytes"); }
    void TearDown() override {
        if (window && window->loaded())
            window->unload();
        server.reset();
        if (!base.empty())
            fs::remove_all(base);
    }

    FrmFTP& open() {
        window = std::make_unique<FrmFTP>(platform.services, store, mailOrFtpOpen, kPicture);
        // The listed files are read from the headless file system.
        window->setLocalFileOpener([this](const std::string& path, std::string& error) {
            auto bytes = platform.files.readFile(path);
            if (!bytes) {
                error = "file not found";
                return std::unique_ptr<net::UploadSource>();
            }
            return std::unique_ptr<net::UploadSource>(std::make_unique<net::MemoryUploadSource>(
                std::string(bytes->begin(), bytes->end())));
        });
        window->load();
        return *window;
    }

    void startServer(std::vector<std::string> extra = {}) {
        base = fs::temp_directory_path() /
               ("pictorn_ftpwin_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base);
        fs::create_directories(base / "shots");
        std::vector<std::string> args{"--root", base.string(), "--user",
                                      "bob",    "--password",  "s3cret"};
        args.insert(args.end(), extra.begin(), extra.end());
        server = std::make_unique<test::ServerProcess>(
            test::testScriptPath("net/servers/ftp_server.py"), args);
        ASSERT_TRUE(server->started()) << server->error();
    }
    void fillSettings(FrmFTP& w, const std::string& password = "s3cret",
                      const std::string& folder = "/shots") {
        w.txtServer.setText("127.0.0.1:" + std::to_string(server->port()));
        w.txtUser.setText("bob");
        w.txtPassword.setText(password);
        w.txtRemoteDir.setText(folder);
        w.chkPassiveMode.setValue(1);
    }
    std::string serverFile(const std::string& name) {
        std::ifstream in(base / "shots" / name, std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
    }

    platform::posix::PosixNetwork posix;
    CountingNetwork network{posix};
    HeadlessServices platform{network};
    app::Registry registry{platform.registry, platform.messageBox};
    app::SettingsStore store{registry, platform.protection};
    bool mailOrFtpOpen = false;
    std::unique_ptr<FrmFTP> window;
    std::unique_ptr<test::ServerProcess> server;
    fs::path base;
};

TEST_F(FtpWindow, FirstUseShowsEmptySettingsAndThePictureSelected) {
    FrmFTP& w = open();
    EXPECT_TRUE(mailOrFtpOpen);
    EXPECT_EQ(w.caption(), "FTP Upload");
    EXPECT_EQ(w.txtServer.text(), "");
    EXPECT_EQ(w.txtUser.text(), "");
    EXPECT_EQ(w.txtPassword.text(), "");
    EXPECT_EQ(w.txtRemoteDir.text(), "");
    EXPECT_EQ(w.chkPassiveMode.value(), 0);
    EXPECT_EQ(w.lstLocalFiles.items(), std::vector<std::string>{kPicture});
    EXPECT_EQ(w.lstLocalFiles.listIndex(), 0);
    EXPECT_EQ(w.txtRemoteFilename.text(), "Pictorn.png");
    EXPECT_EQ(w.lblUploadRate.caption(), "Bytes/Second: 0");
    EXPECT_EQ(w.txtRemoteFilename.backColor(), ui::systemColor(15));
    EXPECT_EQ(w.txtLog.fontName(), "Courier New");
    EXPECT_EQ(w.txtLog.foreColor(), 0xFF0000u);
    EXPECT_EQ(w.chkPassiveMode.toolTip(),
              "Tick this if your firewall and gateway configuration requires PASV mode ");
    EXPECT_FALSE(w.cmdHDDNFCS.visible());
    EXPECT_FALSE(w.currentFileNumber.visible());
    w.cmdClose.click();
    EXPECT_FALSE(w.loaded());
    EXPECT_FALSE(mailOrFtpOpen);
}

TEST_F(FtpWindow, SettingsAreStoredAtClosingAndShownAtTheNextOpening) {
    FrmFTP& first = open();
    first.txtServer.setText("ftp.example.com");
    first.txtUser.setText("anne");
    first.txtPassword.setText(" pass word ");
    first.txtRemoteDir.setText("/www/img");
    first.chkPassiveMode.setValue(1);
    platform.registry.clearCalls();
    first.unload(); // the close box
    std::vector<std::string> written;
    for (const std::string& call : platform.registry.calls())
        for (const char* name : {"FTPServer", "FTPUser", "FTPRemoteDir", "FTPPassiveMode", "FTPPw"})
            if (call.rfind("set", 0) == 0 &&
                call.find(std::string(" ") + name + " ") != std::string::npos)
                written.push_back(name);
    EXPECT_EQ(written, (std::vector<std::string>{"FTPServer", "FTPUser", "FTPRemoteDir",
                                                 "FTPPassiveMode", "FTPPw"}));

    FrmFTP& second = open();
    EXPECT_EQ(second.txtServer.text(), "ftp.example.com");
    EXPECT_EQ(second.txtUser.text(), "anne");
    EXPECT_EQ(second.txtPassword.text(), " pass word ");
    EXPECT_EQ(second.txtRemoteDir.text(), "/www/img");
    EXPECT_EQ(second.chkPassiveMode.value(), 1);
    // Each opening starts afresh: only the picture in the list, an empty log.
    EXPECT_EQ(second.lstLocalFiles.items().size(), 1u);
    EXPECT_EQ(second.txtLog.text(), "");
}

TEST_F(FtpWindow, AddAppendsAndRemoveSelectsTheLastEntryNotTheNeighbour) {
    FrmFTP& w = open();
    platform.fileDialogs.openAnswers = {std::string("D:\\docs\\a.txt"), std::nullopt,
                                        std::string("E:\\b.txt")};
    w.cmdAdd.click();
    EXPECT_EQ(platform.fileDialogs.openRequests.back().owner, "frmFTP");
    ASSERT_EQ(platform.fileDialogs.openRequests.back().request.filters.size(), 1u);
    EXPECT_EQ(w.lstLocalFiles.listIndex(), 1);
    EXPECT_EQ(w.txtRemoteFilename.text(), "a.txt");
    // A cancelled dialog adds nothing but still selects the last entry.
    w.lstLocalFiles.pick(0);
    w.cmdAdd.click();
    EXPECT_EQ(w.lstLocalFiles.items().size(), 2u);
    EXPECT_EQ(w.lstLocalFiles.listIndex(), 1);
    w.cmdAdd.click();
    EXPECT_EQ(w.focused(), &w.cmdHDDNFCS);

    w.lstLocalFiles.pick(1); // the middle one
    w.cmdRemove.click();
    EXPECT_EQ(w.lstLocalFiles.items(), (std::vector<std::string>{kPicture, "E:\\b.txt"}));
    EXPECT_EQ(w.lstLocalFiles.listIndex(), 1);
    EXPECT_EQ(w.txtRemoteFilename.text(), "b.txt");

    w.cmdRemove.click();
    w.cmdRemove.click();
    EXPECT_TRUE(w.lstLocalFiles.items().empty());
    EXPECT_EQ(w.txtRemoteFilename.text(), "");
    w.cmdRemove.click(); // nothing selected: nothing happens
    w.cmdUpload.click();
    EXPECT_EQ(platform.messageBox.last().text, "No files to upload...");
    EXPECT_EQ(platform.messageBox.last().title, "Mmm...");
    EXPECT_EQ(platform.messageBox.last().flags, kIconInformation);
}

TEST_F(FtpWindow, TooltipFollowsThePointerOverTheEntries) {
    FrmFTP& w = open();
    w.lstLocalFiles.addItem("D:\\my docs\\notes.txt");
    RowsPeer rows(w.lstLocalFiles);
    w.lstLocalFiles.setPeer(&rows);
    // 15 twips per pixel at 96 dpi: the second row starts at 225 twips.
    w.lstLocalFiles.MouseMove(0, 0, 300.f, 100.f);
    EXPECT_EQ(w.lstLocalFiles.toolTip(), std::string(" ") + kPicture + " ");
    w.lstLocalFiles.MouseMove(0, 0, 300.f, 300.f);
    EXPECT_EQ(w.lstLocalFiles.toolTip(), " D:\\my docs\\notes.txt ");
    w.lstLocalFiles.MouseMove(1, 0, 300.f, 100.f); // a button held: left alone
    EXPECT_EQ(w.lstLocalFiles.toolTip(), " D:\\my docs\\notes.txt ");
    w.lstLocalFiles.MouseMove(0, 0, 300.f, 900.f); // below the last entry
    EXPECT_EQ(w.lstLocalFiles.toolTip(), "");
    w.lstLocalFiles.setPeer(nullptr);
}

TEST_F(FtpWindow, MissingSettingsAreAskedForInOrderBeforeAnythingIsConnected) {
    FrmFTP& w = open();
    w.txtLog.setText("old");
    w.txtServer.setText("  ");
    w.cmdUpload.click();
    EXPECT_EQ(platform.messageBox.last().text, "Please enter the FTP Server name or IP address.");
    EXPECT_EQ(platform.messageBox.last().title, "Info required");
    EXPECT_EQ(platform.messageBox.last().flags, kIconInformation);
    EXPECT_EQ(w.txtLog.text(), "");
    EXPECT_EQ(w.lblUploadRate.caption(), "...");
    w.txtServer.setText("host");
    w.cmdUpload.click();
    EXPECT_EQ(platform.messageBox.last().text, "Please enter your User ID or Login Name.");
    w.txtUser.setText("u");
    w.txtPassword.setText("   ");
    w.cmdUpload.click();
    EXPECT_EQ(platform.messageBox.last().text, "Please enter your Password.");
    EXPECT_EQ(network.connects, 0);
}

TEST_F(FtpWindow, AFailedConnectShowsTheStepInTheLogAndTheFailureMessage) {
    FrmFTP& w = open();
    w.txtServer.setText("127.0.0.1:1"); // nobody listens there
    w.txtUser.setText("u");
    w.txtPassword.setText("p");
    w.txtRemoteDir.setText("   ");
    w.ProgressBar1.setValue(40);
    w.cmdUpload.click();
    EXPECT_EQ(network.connects, 1);
    EXPECT_EQ(w.txtRemoteDir.text(), "/");
    EXPECT_EQ(w.txtLog.text().rfind("cmdUpload_Click - ftp.Connect\r\nConnect", 0), 0u)
        << w.txtLog.text();
    EXPECT_NE(w.txtLog.text().find("connection refused"), std::string::npos);
    EXPECT_EQ(w.ProgressBar1.value(), 0);
    EXPECT_EQ(w.lblUploadRate.caption(), "...");
    EXPECT_EQ(platform.messageBox.last().text.rfind("Upload failed.\r\nPlease examine", 0), 0u);
    EXPECT_EQ(platform.messageBox.last().title, "Upload");
    EXPECT_EQ(platform.messageBox.last().flags, kIconExclamation);
    // Ready for another try.
    EXPECT_TRUE(w.cmdUpload.enabled());
    EXPECT_FALSE(w.sessionRunning());
}

TEST_F(FtpWindow, UploadsThePictureUnderItsFileName) {
    startServer();
    FrmFTP& w = open();
    fillSettings(w, "  s3cret ");
    ValuesPeer activity;
    w.ProgressBar2.setPeer(&activity);
    w.cmdUpload.click();
    w.ProgressBar2.setPeer(nullptr);
    ASSERT_EQ(platform.messageBox.shown.size(), 1u) << w.txtLog.text();
    EXPECT_EQ(platform.messageBox.last().text, "File successfully uploaded!");
    EXPECT_EQ(platform.messageBox.last().title, "Upload");
    EXPECT_EQ(platform.messageBox.last().flags, kIconInformation);
    EXPECT_EQ(serverFile("Pictorn.png"), "picture bytes");
    EXPECT_NE(w.txtLog.text().find("PASS ****"), std::string::npos);
    EXPECT_EQ(w.txtLog.text().find("s3cret"), std::string::npos);
    EXPECT_EQ(w.txtLog.text().substr(w.txtLog.text().size() - 2), "\r\n");
    EXPECT_EQ(w.ProgressBar1.value(), 0);
    EXPECT_EQ(w.ProgressBar2.value(), 0);
    EXPECT_EQ(w.lblUploadRate.caption(), "...");
    EXPECT_EQ(w.focused(), &w.cmdHDDNFCS);
    // One step of the activity bar per abort check: 10, 20, ... from where it stood, and
    // back to 0 at the end.
    ASSERT_FALSE(activity.values.empty());
    EXPECT_EQ(activity.values.back(), 0);
    activity.values.pop_back();
    for (std::size_t i = 0; i < activity.values.size(); ++i)
        EXPECT_EQ(activity.values[i], static_cast<int>((i + 1) % 11) * 10) << i;
}

TEST_F(FtpWindow, SeveralFilesWithTheSameNameAllArrive) {
    startServer();
    platform.files.addFile("D:\\other\\Pictorn.png", "second picture");
    platform.files.addFile("D:\\notes.txt", "notes");
    FrmFTP& w = open();
    fillSettings(w);
    platform.fileDialogs.openAnswers = {std::string("D:\\other\\Pictorn.png"),
                                        std::string("D:\\notes.txt")};
    w.cmdAdd.click();
    EXPECT_EQ(w.txtRemoteFilename.text(), "Pictorn_2.png");
    w.cmdAdd.click();
    std::vector<std::string> fileNumbers;
    platform.ui.onWait = [&](int) {
        // Nothing that changes the list or ends the window while the session runs.
        EXPECT_FALSE(w.cmdUpload.enabled());
        EXPECT_FALSE(w.cmdAdd.enabled());
        EXPECT_FALSE(w.cmdRemove.enabled());
        EXPECT_FALSE(w.cmdClose.enabled());
        EXPECT_TRUE(w.cmdAbort.enabled());
        if (fileNumbers.empty() || fileNumbers.back() != w.currentFileNumber.caption())
            fileNumbers.push_back(w.currentFileNumber.caption());
    };
    w.cmdUpload.click();
    EXPECT_EQ(platform.messageBox.last().text, "Files successfully uploaded!") << w.txtLog.text();
    EXPECT_EQ(serverFile("Pictorn.png"), "picture bytes");
    EXPECT_EQ(serverFile("Pictorn_2.png"), "second picture");
    EXPECT_EQ(serverFile("notes.txt"), "notes");
    EXPECT_NE(w.txtLog.text().find("D:\\other\\Pictorn.png as Pictorn_2.png"), std::string::npos)
        << w.txtLog.text();
    EXPECT_TRUE(w.cmdUpload.enabled());
    EXPECT_TRUE(w.cmdClose.enabled());
    EXPECT_EQ(fileNumbers.front(), "1");
}

TEST_F(FtpWindow, WrongPasswordAndMissingFolderEndInTheFailureProcedure) {
    startServer();
    FrmFTP& w = open();
    fillSettings(w, "wrong");
    w.cmdUpload.click();
    EXPECT_EQ(w.txtLog.text().rfind("cmdUpload_Click - ftp.Connect", 0), 0u) << w.txtLog.text();
    EXPECT_NE(w.txtLog.text().find("530"), std::string::npos);
    EXPECT_NE(w.txtLog.text().find("\r\n\r\nSessionLog:\r\n"), std::string::npos);
    EXPECT_EQ(platform.messageBox.last().text.rfind("Upload failed.", 0), 0u);

    fillSettings(w, "s3cret", "/nowhere");
    w.cmdUpload.click();
    EXPECT_EQ(w.txtLog.text().rfind("cmdUpload_Click - ftp.ChangeRemoteDir", 0), 0u)
        << w.txtLog.text();
    EXPECT_NE(w.txtLog.text().find("550"), std::string::npos);
    EXPECT_EQ(platform.messageBox.shown.size(), 2u);
    EXPECT_EQ(serverFile("Pictorn.png"), "<missing>");
}

TEST_F(FtpWindow, AFailedPutOfAnEarlierFileFailsTheSessionAndNamesIt) {
    startServer();
    FrmFTP& w = open();
    fillSettings(w);
    platform.files.addFile("D:\\last.txt", "last");
    w.lstLocalFiles.addItem("D:\\gone.txt"); // never existed
    w.lstLocalFiles.addItem("D:\\last.txt");
    w.cmdUpload.click();
    EXPECT_EQ(serverFile("last.txt"), "last");
    EXPECT_EQ(serverFile("Pictorn.png"), "picture bytes");
    EXPECT_EQ(
        platform.messageBox.last().text.rfind("Upload failed.\r\nNot uploaded: gone.txt\r\n", 0),
        0u)
        << platform.messageBox.last().text;
    EXPECT_EQ(w.txtLog.text().rfind("cmdUpload_Click - ftp.PutFile\r\nNot uploaded: gone.txt", 0),
              0u)
        << w.txtLog.text();
}

TEST_F(FtpWindow, AbortDuringTheSecondOfThreeFilesFailsTheRest) {
    // The server stops answering once a file reaches 1 MiB: the second file never ends by itself.
    startServer({"--stall-after", "1048576"});
    platform.files.addFile("D:\\big.bin", std::string(4 << 20, 'x'));
    platform.files.addFile("D:\\third.bin", "third");
    FrmFTP& w = open();
    fillSettings(w);
    w.lstLocalFiles.addItem("D:\\big.bin");
    w.lstLocalFiles.addItem("D:\\third.bin");
    platform.ui.onWait = [&](int) {
        if (w.currentFileNumber.caption() == "2" && w.ProgressBar1.value() > 0 &&
            !w.abortRequested())
            w.cmdAbort.click();
    };
    w.cmdUpload.click();
    EXPECT_TRUE(w.abortRequested());
    EXPECT_EQ(serverFile("Pictorn.png"), "picture bytes");
    EXPECT_EQ(platform.messageBox.last().text.rfind(
                  "Upload failed.\r\nNot uploaded: big.bin, third.bin\r\n", 0),
              0u)
        << platform.messageBox.last().text;
}

TEST_F(FtpWindow, ClosingDuringASessionAbortsItAndClosesAfterwards) {
    startServer({"--stall-after", "1048576"});
    platform.files.addFile("D:\\big.bin", std::string(4 << 20, 'x'));
    FrmFTP& w = open();
    fillSettings(w);
    w.lstLocalFiles.addItem("D:\\big.bin");
    bool closed = false;
    platform.ui.onWait = [&](int) {
        if (w.currentFileNumber.caption() == "2" && w.ProgressBar1.value() > 0 && !closed) {
            w.cmdClose.performClick(); // disabled: would not reach the window
            EXPECT_TRUE(w.loaded());
            closed = w.unload(); // the close box: the session ends first, then the window
            EXPECT_TRUE(w.abortRequested());
        }
    };
    w.cmdUpload.click();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(w.loaded());
    EXPECT_FALSE(w.sessionRunning());
    EXPECT_FALSE(mailOrFtpOpen);
    // No message keeps the user once the window is asked to close.
    EXPECT_TRUE(platform.messageBox.shown.empty());
    // The settings were stored as the window closed.
    EXPECT_EQ(store.readText("FTPUser"), "bob");
}

TEST_F(FtpWindow, TheSessionGoesOnWhileTheWindowsThreadIsHeldElsewhere) {
    // As a menu or another message box holds the window's thread: the first time the window
    // waits for its events, its thread does not come back until the file has arrived.
    startServer();
    FrmFTP& w = open();
    fillSettings(w);
    bool held = false, arrivedMeanwhile = false;
    platform.ui.onWait = [&](int) {
        if (std::exchange(held, true))
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!arrivedMeanwhile && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            arrivedMeanwhile = serverFile("Pictorn.png") == "picture bytes";
        }
    };
    w.cmdUpload.click();
    EXPECT_TRUE(arrivedMeanwhile);
    EXPECT_EQ(platform.messageBox.last().text, "File successfully uploaded!") << w.txtLog.text();
    EXPECT_EQ(w.lblUploadRate.caption(), "...");
}

} // namespace
} // namespace pictorn
