#pragma once
// The main window: the menus every command starts from, the current picture and the
// summary of the hotkeys. Closing it ends the program.
#include "mainwindow/command_ids.h"
#include "platform/services.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/menu_item.h"
#include "platform/ui/timer.h"

#include <string>

namespace pictorn {

class FrmMain : public ui::Form {
public:
    explicit FrmMain(platform::Services& services);

    // Control ids of the window's own children.
    static constexpr int kIdInfo = 101;
    static constexpr int kIdTimerRandomName = 102;

    ui::TextBox txtInfo{this, "txtInfo", kIdInfo};
    ui::Timer TimerRandomName{this, "TimerRandomName", kIdTimerRandomName};

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

    // State other windows read.
    std::string imageToAttach;
    std::string activeWindowLeft;
    std::string activeWindowTop;
    bool printingInProgress = false;
    std::string Filename;
    std::string myRandomName;

private:
    static ui::Shortcut ctrl(char key) { return ui::Shortcut{.ctrl = true, .key = key}; }
    void buildMenus();
    void wireHandlers();
    void Form_Load();
    void Form_QueryUnload(bool& cancel);
    void Form_Unload();
    void menuExit_Click();
    void menuAutoExit_Click();
    void menuIncludeMousepointer_Click();

    platform::Services& services_;
};

} // namespace pictorn
