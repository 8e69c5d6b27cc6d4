#pragma once
// How a mail or FTP session ended, and the one wording of a transport failure that both
// put into their error texts.
#include "platform/network.h"

#include <string>

namespace pictorn::net {

enum class SessionStatus {
    Ok,
    InvalidInput,    // unusable server text, a line break in a name or address, not connected
    NetworkFailed,   // host not found, connection refused or lost
    TimedOut,        // the server did not answer or stopped taking data in time
    Aborted,         // the abort check said stop
    TlsFailed,       // the secure connection or its certificate check failed
    Refused,         // the server answered no
    ProtocolError,   // the server's answer is not the protocol or not what the step needs
    LocalFileFailed, // a local file cannot be opened or read
};

SessionStatus statusFor(platform::NetStatus status);

// "30 s", "1.5 s": how long a wait was allowed.
std::string secondsText(int ms);

// Why a wait ended without an answer: "no answer within 30 s", "aborted", "the server
// closed the connection", "connection refused", "the secure connection failed (certificate
// is not trusted)", ... Empty for Ok.
std::string transportReason(const platform::NetResult& net, int timeoutMs);

} // namespace pictorn::net
