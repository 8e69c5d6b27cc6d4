#pragma once
// The FTP window's fixed texts and the small pure rules of its display: the edit made to
// an error text before it is shown, the failure log, the rate line, the activity bar and
// the file list's tooltip.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::ftptext {

inline constexpr std::string_view kCrLf = "\r\n";

inline constexpr std::string_view kNoFilesText = "No files to upload...";
inline constexpr std::string_view kNoFilesTitle = "Mmm...";
inline constexpr std::string_view kInfoRequiredTitle = "Info required";
inline constexpr std::string_view kServerRequired =
    "Please enter the FTP Server name or IP address.";
inline constexpr std::string_view kUserRequired = "Please enter your User ID or Login Name.";
inline constexpr std::string_view kPasswordRequired = "Please enter your Password.";
inline constexpr std::string_view kUploadTitle = "Upload";
inline constexpr std::string_view kOneFileUploaded = "File successfully uploaded!";
inline constexpr std::string_view kFilesUploaded = "Files successfully uploaded!";
inline constexpr std::string_view kIdleRate = "...";
inline constexpr std::string_view kDesignRate = "Bytes/Second: 0";

inline constexpr std::string_view kStepConnect = "cmdUpload_Click - ftp.Connect";
inline constexpr std::string_view kStepChangeFolder = "cmdUpload_Click - ftp.ChangeRemoteDir";
inline constexpr std::string_view kStepPutFile = "cmdUpload_Click - ftp.PutFile";

// The login name our client once wrote into its error texts; the edit replaces it with the
// program's version.
inline constexpr std::string_view kClientLoginName = "pto";

// Replaces every occurrence of `find` in `text`, comparing without regard to ASCII case.
std::string replaceAllNoCase(std::string_view text, std::string_view find,
                             std::string_view replacement);

// The four replacements made to the client's error text before it is shown, in order:
// "ChilkatLog:" -> "Errorlog:", "DllDate: Jun 26 2008" -> "Pictorn",
// "Username: <login>" -> version text, "Component: ActiveX" -> step label.
std::string editErrorLog(std::string_view errorText, std::string_view stepLabel,
                         std::string_view versionText);

// The log box after a failure: the edited error text and CR LF, then, when the session
// log has more than one character, CR LF, "SessionLog:", CR LF, the session log and CR LF.
std::string failureLogText(std::string_view editedError, std::string_view sessionLog);

// The session log as the log box shows it: the client's log, then our own notes (lines
// that each end in CR LF), without a line break at the very end.
std::string sessionLogText(std::string_view clientLog, std::string_view notes);

// The warning shown after a failure. `notUploaded` (when not empty) names the files that
// did not arrive; it follows the first line.
std::string failureMessage(const std::vector<std::string>& notUploaded = {});

// "File 2 of 3 -- Bytes/Second: 12345"
std::string rateText(std::string_view fileNumber, std::size_t fileCount,
                     std::uint64_t bytesPerSecond);

// The activity bar's next value: 0, 10, ..., 100, then 0 again.
int nextActivityValue(int current);

// The list's tooltip for the answer of its item-from-point query: the entry's full path
// with a blank before and after when the answer is an entry's index, else empty (the
// answer carries a flag in its upper half when the point is below the last entry).
std::string listToolTip(const std::vector<std::string>& entries, long hit);

} // namespace pictorn::ftptext
