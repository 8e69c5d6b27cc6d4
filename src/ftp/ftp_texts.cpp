#include "ftp/ftp_texts.h"
#include "text/ascii.h"
#include "text/box_text.h"

namespace pictorn::ftptext {
namespace {} // namespace

std::string replaceAllNoCase(std::string_view text, std::string_view find,
                             std::string_view replacement) {
    if (find.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + find.size() <= text.size() &&
            text::equalsNoCase(text.substr(i, find.size()), find)) {
            result += replacement;
            i += find.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

std::string editErrorLog(std::string_view errorText, std::string_view stepLabel,
                         std::string_view versionText) {
    std::string text = replaceAllNoCase(errorText, "ChilkatLog:", "Errorlog:");
    text = replaceAllNoCase(text, "DllDate: Jun 26 2008", "Pictorn");
    text = replaceAllNoCase(text, "Username: " + std::string(kClientLoginName), versionText);
    return replaceAllNoCase(text, "Component: ActiveX", stepLabel);
}

std::string failureLogText(std::string_view editedError, std::string_view sessionLog) {
    std::string log = std::string(editedError) + std::string(kCrLf);
    if (sessionLog.size() > 1)
        log += std::string(kCrLf) + "SessionLog:" + std::string(kCrLf) + std::string(sessionLog) +
               std::string(kCrLf);
    return log;
}

std::string sessionLogText(std::string_view clientLog, std::string_view notes) {
    std::string log(clientLog);
    if (notes.empty())
        return log;
    if (!log.empty() && !log.ends_with(kCrLf))
        log += kCrLf;
    log += notes.substr(0, notes.size() - kCrLf.size());
    return log;
}

std::string failureMessage(const std::vector<std::string>& notUploaded) {
    std::string text = "Upload failed.";
    if (!notUploaded.empty()) {
        std::string names;
        for (std::size_t i = 0; i < notUploaded.size(); ++i)
            names += (i ? ", " : "") + notUploaded[i];
        text += std::string(kCrLf) + "Not uploaded: " + text::shortenedForBox(names);
    }
    for (std::string_view line :
         {"Please examine the FTP log below and make sure your FTP Settings and your "
          "communication settings are correct.",
          "", "Possible solutions:", "Enter the correct server name.",
          "Enter a correct Login/Username and/or Password.",
          "Enter a valid path in the Remote Directory box.",
          "Make sure you have write permissions to the remote folder.",
          "Unblock Pictorn from your firewall",
          "Try the upload again with Passive Mode (PASV) on or off."})
        text += std::string(kCrLf) + std::string(line);
    return text;
}

std::string rateText(std::string_view fileNumber, std::size_t fileCount,
                     std::uint64_t bytesPerSecond) {
    return "File " + std::string(fileNumber) + " of " + std::to_string(fileCount) +
           " -- Bytes/Second: " + std::to_string(bytesPerSecond);
}

int nextActivityValue(int current) {
    return current >= 100 ? 0 : current + 10;
}

std::string listToolTip(const std::vector<std::string>& entries, long hit) {
    if (hit < 0 || hit >= static_cast<long>(entries.size()))
        return {};
    return " " + entries[static_cast<std::size_t>(hit)] + " ";
}

} // namespace pictorn::ftptext
