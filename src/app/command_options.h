#pragma once
// The program's command line for scripted captures:
//
//   pictorn.exe /capture full|window|rect [/delay N] [/save PATH] [/clipboard] [/exit]
//   pictorn.exe /?
//
// An empty command line starts the program as usual. Parsing is a pure function of the
// arguments (no file or window is touched), so it can be tested and fuzzed on its own.
#include "app/preferences.h"
#include "platform/instance_guard.h"

#include <optional>
#include <string>
#include <vector>

namespace pictorn::app::cli {

enum class CaptureKind { FullScreen, ActiveWindow, Rectangle };

struct Request {
    bool showUsage = false; // /? (alone)
    std::optional<CaptureKind> capture;
    std::optional<int> delaySeconds; // overrides the preference for this capture
    std::string savePath;            // empty: not saved; the type follows the extension
    bool clipboard = false;
    bool exitAfter = false;
    // True for a command line that asks for nothing: the program starts as usual.
    bool empty() const { return !showUsage && !capture; }
};

struct ParseResult {
    Request request;
    // Empty when the arguments were understood; otherwise names the faulty argument.
    std::string error;
    bool ok() const { return error.empty(); }
};

// Switches start with '/' or '-' and are matched without regard to case.
ParseResult parse(const std::vector<std::string>& arguments);

// The arguments that ask for this request again (parse gives it back): how a later copy
// hands its request to the running one.
std::vector<std::string> toArguments(const Request& request);

// Exit codes for a command line with a request; a later copy that hands its request to the
// running copy ends with the running copy's answer.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1; // nothing captured, a save or copy failed, or refused
constexpr int kExitBadArguments = 2;

// How long a later copy waits for the running copy's answer: the delay (the longest one
// when the running copy's preference decides) and a margin for a capture ahead of this one
// and for a rectangle to be dragged.
int forwardWaitMs(const Request& request);

// What a later copy ends with after handing its request over, and what it shows first
// (nothing when the message is empty).
struct ForwardedResult {
    int exitCode = kExitDone;
    std::string message;
};
ForwardedResult forwardedResult(const platform::ForwardOutcome& outcome, const Request& request);

// The usage text the program shows for /? and under every complaint.
std::string usageText();

// The message for arguments that were not understood: the complaint, then the usage.
std::string errorMessage(const ParseResult& result);

} // namespace pictorn::app::cli
