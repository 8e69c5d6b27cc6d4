#include "app/command_options.h"

#include "imaging/image_format.h"
#include "text/ascii.h"

#include <algorithm>
#include <charconv>

namespace pictorn::app::cli {
namespace {

// "/capture" or "-Capture" -> "capture"; anything that is no switch -> "".
std::string switchName(std::string_view argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return {};
    return text::asciiLowerCase(argument.substr(1));
}

std::optional<CaptureKind> captureKind(std::string_view text) {
    const std::string kind = text::asciiLowerCase(text);
    if (kind == "full")
        return CaptureKind::FullScreen;
    if (kind == "window")
        return CaptureKind::ActiveWindow;
    if (kind == "rect")
        return CaptureKind::Rectangle;
    return std::nullopt;
}

std::optional<int> seconds(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0 ||
        value > kMaxDelaySeconds)
        return std::nullopt;
    return value;
}

std::string_view extensionOf(std::string_view path) {
    const auto dot = path.find_last_of('.');
    const auto separator = path.find_last_of("\\/:");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && separator > dot))
        return {};
    return path.substr(dot + 1);
}

// A request ahead that waits out the longest delay and has a rectangle dragged, and room
// for a loaded machine.
constexpr int kForwardMarginSeconds = 300;

ParseResult failure(std::string message) {
    ParseResult result;
    result.error = std::move(message);
    return result;
}

} // namespace

ParseResult parse(const std::vector<std::string>& arguments) {
    ParseResult result;
    Request& request = result.request;
    bool sawDelay = false, sawSave = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string name = switchName(argument);
        auto value = [&]() -> const std::string* {
            return i + 1 < arguments.size() ? &arguments[++i] : nullptr;
        };
        if (name == "?" || name == "help" || name == "h") {
            if (arguments.size() != 1)
                return failure("\"" + argument + "\" stands alone.");
            request.showUsage = true;
        } else if (name == "capture") {
            if (request.capture)
                return failure("\"/capture\" is given twice.");
            const std::string* kind = value();
            if (!kind)
                return failure("\"/capture\" needs full, window or rect.");
            request.capture = captureKind(*kind);
            if (!request.capture)
                return failure("\"/capture " + *kind + "\": the kind is full, window or rect.");
        } else if (name == "delay") {
            if (sawDelay)
                return failure("\"/delay\" is given twice.");
            sawDelay = true;
            const std::string* text = value();
            if (!text)
                return failure("\"/delay\" needs a number of seconds.");
            request.delaySeconds = seconds(*text);
            if (!request.delaySeconds)
                return failure("\"/delay " + *text + "\": the delay is a whole number from 0 to " +
                               std::to_string(kMaxDelaySeconds) + " seconds.");
        } else if (name == "save") {
            if (sawSave)
                return failure("\"/save\" is given twice.");
            sawSave = true;
            const std::string* path = value();
            if (!path || path->empty())
                return failure("\"/save\" needs a file name.");
            if (!imaging::formatFromExtension(extensionOf(*path)))
                return failure("\"/save " + *path +
                               "\": the file name must end in .bmp, .gif, .jpg, .pcx, .png, "
                               ".psd or .tif.");
            request.savePath = *path;
        } else if (name == "clipboard") {
            request.clipboard = true;
        } else if (name == "exit") {
            request.exitAfter = true;
        } else {
            return failure("\"" + argument + "\" is not understood.");
        }
    }
    const bool extras = sawDelay || sawSave || request.clipboard || request.exitAfter;
    if (extras && !request.capture)
        return failure("\"/capture\" is missing: /delay, /save, /clipboard and /exit go with a "
                       "capture.");
    return result;
}

std::vector<std::string> toArguments(const Request& request) {
    std::vector<std::string> arguments;
    if (request.showUsage)
        arguments.push_back("/?");
    if (request.capture) {
        static constexpr const char* kKinds[] = {"full", "window", "rect"};
        arguments.insert(arguments.end(), {"/capture", kKinds[static_cast<int>(*request.capture)]});
    }
    if (request.delaySeconds)
        arguments.insert(arguments.end(), {"/delay", std::to_string(*request.delaySeconds)});
    if (!request.savePath.empty())
        arguments.insert(arguments.end(), {"/save", request.savePath});
    if (request.clipboard)
        arguments.push_back("/clipboard");
    if (request.exitAfter)
        arguments.push_back("/exit");
    return arguments;
}

int forwardWaitMs(const Request& request) {
    return (request.delaySeconds.value_or(kMaxDelaySeconds) + kForwardMarginSeconds) * 1000;
}

ForwardedResult forwardedResult(const platform::ForwardOutcome& outcome, const Request& request) {
    using Status = platform::ForwardOutcome::Status;
    switch (outcome.status) {
    case Status::Answered:
        return {outcome.code, outcome.message};
    case Status::Ended:
        return {kExitFailed, "Pictorn ended before it finished the capture."};
    case Status::TimedOut:
        return {kExitFailed, "Pictorn did not finish the capture within " +
                                 std::to_string(forwardWaitMs(request) / 1000) + " seconds."};
    case Status::NotDelivered:
        break;
    }
    return {kExitFailed, "Pictorn is running but did not take the capture."};
}

std::string usageText() {
    return "Usage: pictorn.exe [/capture full|window|rect] [/delay N] [/save PATH] "
           "[/clipboard] [/exit]\r\n"
           "\r\n"
           "/capture full      the whole screen\r\n"
           "/capture window    the active window\r\n"
           "/capture rect      a rectangle dragged with the mouse\r\n"
           "/delay N           wait N seconds (0 to 60) before the capture\r\n"
           "/save PATH         save the picture; the type follows the extension\r\n"
           "                   (.bmp, .gif, .jpg, .pcx, .png, .psd, .tif)\r\n"
           "/clipboard         copy the picture to the clipboard\r\n"
           "/exit              end Pictorn after the capture\r\n"
           "/?                 show this help\r\n"
           "\r\n"
           "Without arguments Pictorn starts as usual. When Pictorn is already running, "
           "the running copy takes the capture once it is free (after a capture under way), "
           "or refuses it at once while one of its windows is open (mail, FTP, "
           "preferences, a dialog box); this copy waits for the outcome.\r\n"
           "\r\n"
           "Exit code: 0 done, 1 failed (nothing captured, the save or the copy failed, or "
           "refused), 2 bad arguments.";
}

std::string errorMessage(const ParseResult& result) {
    return result.error + "\r\n\r\n" + usageText();
}

} // namespace pictorn::app::cli
