#pragma once
// Command ids of the main window's menu entries and accelerators. Tests and other
// processes post them as WM_COMMAND, so the numbers are fixed: append only.
namespace pictorn::cmd {

inline constexpr int kSave = 1001;
inline constexpr int kSaveAs = 1002;
inline constexpr int kPrint = 1003;
inline constexpr int kOpenAutoSaveFolder = 1004;
inline constexpr int kExit = 1005;
inline constexpr int kCopyImageToClipboard = 1006;
inline constexpr int kSendImageToEditor = 1007;
inline constexpr int kSendImageToPaint = 1008;
inline constexpr int kSendMail = 1009;
inline constexpr int kUploadFtp = 1010;
inline constexpr int kAutoExit = 1011;
inline constexpr int kCaptureFullScreen = 1012;
inline constexpr int kCaptureFullScreenWithCursor = 1013;
inline constexpr int kCaptureActiveWindow = 1014;
inline constexpr int kCaptureActiveWindowWithCursor = 1015;
inline constexpr int kCaptureRectangularArea = 1016;
inline constexpr int kIncludeMousepointer = 1017;
inline constexpr int kPreferences = 1018;
inline constexpr int kHelp = 1019;
inline constexpr int kAbout = 1020;
inline constexpr int kTrayOpen = 1021;
inline constexpr int kTrayCaptureFull = 1022;
inline constexpr int kTrayCaptureWindow = 1023;
inline constexpr int kTrayCaptureRectangle = 1024;
inline constexpr int kTrayExit = 1025;
inline constexpr int kMarkUpImage = 1026;

// Pop-up menus themselves carry no command; these ids only name them for lookups.
inline constexpr int kMenuFile = 1900;
inline constexpr int kMenuEdit = 1901;
inline constexpr int kMenuCapture = 1902;
inline constexpr int kMenuHelp = 1903;
inline constexpr int kMenuTray = 1904;

} // namespace pictorn::cmd
