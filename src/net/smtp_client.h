#pragma once
// Our SMTP client: sends one MailMessage through the server the user named, over the
// byte-stream transport (Winsock + Schannel in the program, POSIX sockets in the tests).
//
//   net::SmtpClient client(network, charsets);
//   net::SendResult r = client.send(message, options, abortCheck, onProgress);
//   if (!r.ok()) show r.errorText;   // "Connect failed; smtp.example.com:587; connection refused"
//
// The call returns when the attempt is over; every wait is bounded by the options'
// timeouts and asks the abort check about every 100 ms.
#include "net/mail_message.h"
#include "net/session_status.h"
#include "platform/charset.h"
#include "platform/network.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace pictorn::net {

struct SmtpOptions {
    // "host" or "host:port" ("[IPv6]:port"). Without a port: 587, or 25 when nothing listens
    // on 587. Port 465 speaks TLS from the first byte; elsewhere STARTTLS is used whenever
    // the server offers it.
    std::string server;
    bool implicitTls = false;  // TLS from the first byte on any port, as always on 465
    bool authenticate = false; // AUTH PLAIN or LOGIN, only ever over TLS
    std::string user;
    std::string password;
    int connectTimeoutMs = 30'000;
    int replyTimeoutMs = 60'000; // each reply as a whole, and each wait while sending
    // The whole send, from the first connect to the last reply. 0: the connect timeout, five
    // reply timeouts and the message's time at kMinimumSendRate, which a server that answers
    // each step just in time still cannot stretch to hours.
    int sessionTimeoutMs = 0;
};

inline constexpr std::size_t kMinimumSendRate = 2'048; // bytes per second

enum class SendStage { Connecting, Securing, Authenticating, Sending, Finishing };

struct SendProgress {
    SendStage stage = SendStage::Connecting;
    std::string text;           // for a status line: "Connecting to smtp.example.com:587"
    std::size_t bytesSent = 0;  // while Sending: message bytes handed to the server so far
    std::size_t bytesTotal = 0; // while Sending: the whole message
};
using SendStatus = std::function<void(const SendProgress&)>;

struct SendResult {
    // Never Ok by default: a sending that did not end (closed meanwhile) was not sent.
    SessionStatus status = SessionStatus::Aborted;
    // On failure, parts separated by semicolons: the step, host:port, the reason or the
    // server's reply, e.g. "Recipient refused; mail.example.org:25; 550 5.1.1 no such user".
    std::string errorText;
    std::string charset; // the charset the message went out in ("utf-8" after a fallback)

    bool ok() const noexcept { return status == SessionStatus::Ok; }
};

class SmtpClient {
public:
    SmtpClient(platform::Network& network, const platform::Charsets& charsets)
        : network_(network), charsets_(charsets) {}

    SendResult send(const MailMessage& message, const SmtpOptions& options,
                    const platform::AbortCheck& abort = {}, const SendStatus& status = {});

private:
    platform::Network& network_;
    const platform::Charsets& charsets_;
};

// A message in the form DATA carries it: CRLF line ends, every line that starts with "."
// gets a second one, and the terminating "." line appended.
std::string dotStuffed(std::string_view crlfMessage);

} // namespace pictorn::net
