#pragma once
// The main window: the menus every command starts from, the current picture and the
// summary of the hotkeys. Closing it ends the program.
#include "app/command_options.h"
#include "app/preference_store.h"
#include "capture/frame_recycler.h"
#include "capture/grab.h"
#include "capture/image_box.h"
#include "capture/uncovered_wait.h"
#include "mainwindow/command_ids.h"
#include "mainwindow/hotkey_control.h"
#include "platform/services.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/menu_item.h"
#include "platform/ui/timer.h"

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn {

class FrmPrefs;
class FrmAbout;
namespace capture {
class FrmRectangle;
struct SelectionResult;
} // namespace capture

class FrmMain : public ui::Form {
    // First, so every member below may use the services while it is made.
    platform::Services& services_;
    // The program's preferences, made beside this window: loaded by its load, changed in
    // the preferences dialog; the window follows every change (preferencesChanged).
    app::PreferenceStore& store_;
    app::PreferenceStore::Subscription listening_;

public:
    FrmMain(platform::Services& services, app::PreferenceStore& preferences);
    ~FrmMain() override;

    // Control ids of the window's own children.
    static constexpr int kIdInfo = 101;
    static constexpr int kIdTimerRandomName = 102;
    static constexpr int kIdTimerPending = 103;

    // The current picture: shown here and the source of every output command.
    capture::ImageBox ImageBox1{this, "ImageBox1", capture::kImageBox1Id, services_};
    ui::TextBox txtInfo{this, "txtInfo", kIdInfo};
    ui::Timer TimerRandomName{this, "TimerRandomName", kIdTimerRandomName};
    // Runs what waits for the message loop: notices after start-up, command-line captures.
    ui::Timer TimerPending{this, "TimerPending", kIdTimerPending};

    ui::MenuItem menuFile{this, "menuFile", cmd::kMenuFile, "&File"};
    ui::MenuItem menuSave{this, "menuSave", cmd::kSave, "Save", ctrl('S')};
    ui::MenuItem menuSaveAs{this, "menuSaveAs", cmd::kSaveAs, "Save &As", ctrl('A')};
    ui::MenuItem sepFile1{this, "sepFile1", 0, "-"};
    ui::MenuItem menuPrint{this, "menuPrint", cmd::kPrint, "Print", ctrl('P')};
    ui::MenuItem sepFile2{this, "sepFile2", 0, "-"};
    ui::MenuItem menuOpenAutoSaveFolder{this, "menuOpenAutoSaveFolder", cmd::kOpenAutoSaveFolder,
                                        "Open my folder (AutoSaved)", ctrl('O')};
    ui::MenuItem sepFile3{this, "sepFile3", 0, "-"};
    ui::MenuItem menuExit{this, "menuExit", cmd::kExit, "Exit"};

    ui::MenuItem menuEdit{this, "menuEdit", cmd::kMenuEdit, "&Edit"};
    ui::MenuItem menuCopyImagetoClipboard{this, "menuCopyImagetoClipboard",
                                          cmd::kCopyImageToClipboard, "Copy Image to Clipboard",
                                          ctrl('C')};
    ui::MenuItem menuSendImagetoEditor{this, "menuSendImagetoEditor", cmd::kSendImageToEditor,
                                       "Send Image to Image Editor", ctrl('I')};
    ui::MenuItem menuSendImagetoPaint{this, "menuSendImagetoPaint", cmd::kSendImageToPaint,
                                      "Send Image to Paint", ctrl('N')};
    ui::MenuItem menuMarkUpImage{this, "menuMarkUpImage", cmd::kMarkUpImage, "Mark Up Image...",
                                 ctrl('M')};
    ui::MenuItem sepEdit1{this, "sepEdit1", 0, "-"};
    ui::MenuItem menuSendMail{this, "menuSendMail", cmd::kSendMail, "Send Image with Email",
                              ctrl('E')};
    ui::MenuItem menuUploadFTP{this, "menuUploadFTP", cmd::kUploadFtp, "Upload Image with FTP",
                               ctrl('T')};
    ui::MenuItem sepEdit2{this, "sepEdit2", 0, "-"};
    ui::MenuItem menuAutoExit{this, "menuAutoExit", cmd::kAutoExit, "Auto Exit "};

    ui::MenuItem menuCapture{this, "menuCapture", cmd::kMenuCapture, "&Capture"};
    ui::MenuItem menuCaptureFullScreen{this, "menuCaptureFullScreen", cmd::kCaptureFullScreen,
                                       "Capture Full Screen"};
    ui::MenuItem menuCaptureFullScreenWithCursor{this, "menuCaptureFullScreenWithCursor",
                                                 cmd::kCaptureFullScreenWithCursor,
                                                 "Capture Full Screen with cursor"};
    ui::MenuItem menuCaptureActiveWindow{this, "menuCaptureActiveWindow", cmd::kCaptureActiveWindow,
                                         "Capture Active Window"};
    ui::MenuItem menuCaptureActiveWindowWithCursor{this, "menuCaptureActiveWindowWithCursor",
                                                   cmd::kCaptureActiveWindowWithCursor,
                                                   "Capture Active Window with cursor"};
    ui::MenuItem menuCaptureRectangularArea{this, "menuCaptureRectangularArea",
                                            cmd::kCaptureRectangularArea,
                                            "Capture Rectangular Area"};
    ui::MenuItem sepCapture1{this, "sepCapture1", 0, "-"};
    ui::MenuItem menuIncludeMousepointer{this, "menuIncludeMousepointer", cmd::kIncludeMousepointer,
                                         "Include Mousepointer"};

    ui::MenuItem menuPreferences{this, "menuPreferences", cmd::kPreferences, "&Preferences"};

    ui::MenuItem menuHelp{this, "menuHelp", cmd::kMenuHelp, "&Help"};
    ui::MenuItem menuHelp2{this, "menuHelp2", cmd::kHelp, "Help", ui::Shortcut{.key = ui::kKeyF1}};
    ui::MenuItem sepHelp1{this, "sepHelp1", 0, "-"};
    ui::MenuItem menuAbout{this, "menuAbout", cmd::kAbout, "&About"};

    // The tray icon's pop-up menu; never shown in the menu bar.
    ui::MenuItem menuTray{this, "menuTray", cmd::kMenuTray, "Tray"};
    ui::MenuItem menuTrayOpen{this, "menuTrayOpen", cmd::kTrayOpen, "Open Pictorn"};
    ui::MenuItem sepTray1{this, "sepTray1", 0, "-"};
    ui::MenuItem menuTrayCaptureFull{this, "menuTrayCaptureFull", cmd::kTrayCaptureFull,
                                     "Capture Full Screen"};
    ui::MenuItem menuTrayCaptureWindow{this, "menuTrayCaptureWindow", cmd::kTrayCaptureWindow,
                                       "Capture Active Window"};
    ui::MenuItem menuTrayCaptureRectangle{this, "menuTrayCaptureRectangle",
                                          cmd::kTrayCaptureRectangle, "Capture Rectangular Area"};
    ui::MenuItem sepTray2{this, "sepTray2", 0, "-"};
    ui::MenuItem menuTrayExit{this, "menuTrayExit", cmd::kTrayExit, "Exit Pictorn"};

    // The three capture hotkeys: F full screen, W active window, R rectangle.
    static constexpr int kHotkeyFull = 1;
    static constexpr int kHotkeyWindow = 2;
    static constexpr int kHotkeyRectangle = 3;
    HotkeyControl VBHotKey1{services_.hotkeys, *this, kHotkeyFull, 'F', true, true};
    HotkeyControl VBHotKey2{services_.hotkeys, *this, kHotkeyWindow, 'W', true, false};
    HotkeyControl VBHotKey3{services_.hotkeys, *this, kHotkeyRectangle, 'R', true, false};

    // The preferences dialog, made when the user first opens it; nothing before.
    FrmPrefs* preferencesDialog() { return prefs_.get(); }
    const app::Preferences& preferences() const { return store_.values(); }
    app::SettingsStore& settings() { return store_.settings(); }

    // Commands that the tray menu, the hotkeys and other windows run as well.
    void menuCaptureFullScreen_Click();
    void menuCaptureFullScreenWithCursor_Click();
    void menuCaptureActiveWindow_Click();
    void menuCaptureActiveWindowWithCursor_Click();
    void menuCaptureRectangularArea_Click();
    void menuTrayOpen_Click();
    void menuExit_Click();
    void menuPreferences_Click();
    void pichook_MouseMove(int trayMessage);
    void hotkeyPressed(int id);
    // A capture asked for on the command line: this copy's own (no reply; its outcome is
    // the exit code), or forwarded by a later copy, which is answered through the reply. It
    // runs from the message loop once no capture is under way, then saves, copies and ends
    // as asked; while a window of the program is open it is refused instead.
    void queueCommandLine(const app::cli::Request& request,
                          std::shared_ptr<platform::ForwardedReply> reply = nullptr);
    void TimerPending_Timer();

    // After-capture steps and output commands.
    // Shows a capture and starts writing its files (with auto-save on, the auto-saved one
    // first). True when AutoSave is still due once the window is back: its folder is gone.
    [[nodiscard]] bool saveTempandShowPicture(imaging::Picture picture);
    void AutoSave();
    // AutoSave's write, started when its folder is there (false: it is not, nothing done).
    bool startAutoSave();
    void PlaySound(std::string_view soundFile);
    void TimerRandomName_Timer();
    void menuSave_Click();
    void saveFinished(const capture::SaveOutcome& outcome);
    void menuSaveAs_Click();
    void saveAsFinished(const std::string& path, const capture::SaveOutcome& outcome);
    void menuCopyImagetoClipboard_Click();
    void menuPrint_Click();
    void menuSendImagetoEditor_Click();
    void menuSendImagetoPaint_Click();
    void menuMarkUpImage_Click();
    void menuSendMail_Click();
    // Where the mail and FTP commands save the picture: "Pictorn" plus the attachment
    // type of the preferences (".png" when that is unusable) in the data folder.
    std::string attachmentPicturePath();
    // Saves the current picture there and returns the path.
    std::string saveAttachmentPicture();
    std::string GetShortPath(std::string_view strFilename);
    void menuAbout_Click();
    void menuHelp2_Click();
    void menuOpenAutoSaveFolder_Click();
    void menuUploadFTP_Click();
    // The temporary bitmap every capture is written to, in the data folder.
    std::string tempPicturePath();
    // The JPEG quality of the preferences, which every save of the picture takes.
    int jpegQuality() const { return preferences().jpegQuality; }
    bool rectangleOpen() const;
    bool aboutOpen() const;

    // The current picture file: the last Save As, auto-save or command-line save; Save
    // writes it again.
    const std::string& Filename() const { return Filename_; }
    // True while the print command runs: the hotkeys and the tray icon do nothing then.
    bool printingInProgress() const { return printingInProgress_; }
    // True while the mail or the FTP window is open: the hotkeys are ignored then.
    bool mailOrFtpOpen() const { return mailOrFtpOpen_; }

private:
    static ui::Shortcut ctrl(char key) { return ui::Shortcut{.ctrl = true, .key = key}; }
    void buildMenus();
    void wireHandlers();
    void Form_Load();
    void loadPreferences();
    // What the window shows of the preferences: the caption and time stamps of auto-save,
    // keep-on-top.
    void preferencesChanged(const app::Preferences& before);
    void loadHotkeys();
    // The modifier text of a hotkey as registered at start-up (app::HotkeyIndex).
    std::string hotkeyPrefix(int hotkey) const;
    void centre();
    void Form_Resize();
    void layoutControls();
    void Form_QueryUnload(bool& cancel);
    void Form_Unload();
    void Form_KeyDown(int keyCode, int shift);
    void menuAutoExit_Click();
    void menuIncludeMousepointer_Click();
    void menuCapture_Click();
    enum class CaptureSource { FullScreen, ActiveWindow };
    void captureTrap(std::string_view label, const std::function<void()>& body);
    void refuseWhileModal() const;
    void hideForCapture();
    int delaySeconds() const;
    // With an offer, its grab may come during the wait and is then returned.
    std::optional<imaging::Picture> delayWait(const capture::GrabOffer* offer = nullptr);
    std::optional<capture::ScreenGrab> grabFor(CaptureSource source);
    void captureSequence(CaptureSource source, bool withPointer);
    void enableOutputCommands();
    void rectangleDone(const capture::SelectionResult& result);
    std::string timeStamp();
    std::string uniqueName(const std::string& stem, const std::string& extension);
    // Opens the preferences dialog, on the given tab or the one last in front.
    void showPreferences(std::optional<int> tab = std::nullopt);
    struct CommandLine {
        app::cli::Request request;
        std::shared_ptr<platform::ForwardedReply> reply; // empty: this copy's own
        bool told = false;                               // the outcome is out
    };
    // Why a request cannot be taken now (a window of the program is open), or empty.
    std::string commandLineRefusal() const;
    bool commandLineMustWait() const;
    bool commandLineAwaitsPicture() const;
    void runCommandLine(CommandLine commandLine);
    void finishCommandLine(bool captured);
    void tellOutcome(CommandLine& commandLine, int code, std::string_view message);
    // Closing answers every request that will not run now.
    void refuseCommandLinesAtClose();
    // Hotkeys another program holds: shown as not available, and told once per change.
    std::string hotkeyLabel(const HotkeyControl& hotkey, const std::string& prefix) const;
    void showHotkeySummary();
    void noticeTakenHotkeys();
    // Counts the program's own modal dialogs that the main window owns while they are open.
    struct ModalScope {
        explicit ModalScope(FrmMain& owner) : owner_(owner) { ++owner_.modalDialogs_; }
        ~ModalScope() { --owner_.modalDialogs_; }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;
        FrmMain& owner_;
    };
    // Marks a capture as under way from its start until it is done, failed or not.
    struct CaptureScope {
        explicit CaptureScope(bool& flag) : flag_(flag) { flag_ = true; }
        ~CaptureScope() { flag_ = false; }
        CaptureScope(const CaptureScope&) = delete;
        CaptureScope& operator=(const CaptureScope&) = delete;
        bool& flag_;
    };
    // Whether a dialog of the program that blocks captures is in front.
    bool blockingWindowVisible() const;

    std::string Filename_;
    std::string myRandomName_; // "yymmdd_hhmmss", refreshed by TimerRandomName
    bool printingInProgress_ = false;
    bool mailOrFtpOpen_ = false; // set and cleared by the mail and FTP windows
    std::unique_ptr<FrmPrefs> prefs_;
    std::array<app::HotkeyModifiers, 3> hotkeysInForce_{};
    std::unique_ptr<capture::FrmRectangle> rectangle_;
    FrmAbout* about_ = nullptr;         // while the about box is open
    ui::Form* sessionWindow_ = nullptr; // the mail or FTP window while it is open
    int modalDialogs_ = 0;
    bool captureInProgress_ = false; // from a capture command's start to its picture
    int captures_ = 0;               // pictures taken so far
    std::optional<int> delayOverride_;
    std::deque<CommandLine> pendingRequests_;
    std::optional<CommandLine> commandLine_; // the one running, until its messages are read
    int exitCode_ = app::cli::kExitDone;     // of this copy's own request
    bool hotkeyNoticePending_ = false;
    bool trayMessageRunning_ = false; // re-entry guard of the tray's messages
    bool pichookEnabled_ = false;
    bool hiddenForCapture_ = false; // a capture hid the window and has not shown it again
    capture::CoveredArea covered_;  // what the screen showed under the window, until the grab
    // The memory of the picture before the one shown, for the next grab; frames up to
    // 3840x2160 and a little more are kept, an 8K one (132 MB) is not held idle.
    capture::FrameRecycler frames_{64u << 20};
};

} // namespace pictorn
