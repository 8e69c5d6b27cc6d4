#include "net/smtp_client.h"

#include "net/mail_address.h"
#include "net/mime_encoding.h"
#include "net/reply_reader.h"
#include "net/server_address.h"
#include "net/session_status.h"
#include "text/ascii.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>
#include <vector>

namespace pictorn::net {

using platform::AbortCheck;
using platform::Address;
using platform::ByteStream;
using platform::NetResult;
using platform::NetStatus;
using platform::Network;

namespace {

constexpr std::uint16_t kSubmissionPort = 587;
constexpr std::uint16_t kRelayPort = 25;
constexpr std::uint16_t kImplicitTlsPort = 465;
constexpr std::size_t kDataChunk = 32 * 1024;
constexpr int kQuitTimeoutMs = 5'000;

// The whole send's time limit, kept through the abort check that every wait asks.
class SessionLimit {
public:
    SessionLimit(const SmtpOptions& options, std::size_t messageBytes, const AbortCheck& user)
        : user_(user) {
        const long long rateMs = static_cast<long long>(messageBytes) * 1000 / kMinimumSendRate;
        ms_ = options.sessionTimeoutMs > 0
                  ? options.sessionTimeoutMs
                  : static_cast<int>(std::min<long long>(options.connectTimeoutMs +
                                                             5LL * options.replyTimeoutMs + rateMs,
                                                         std::numeric_limits<int>::max()));
        deadline_ = Clock::now() + std::chrono::milliseconds(ms_);
        check_ = [this] {
            expired_ = expired_ || Clock::now() >= deadline_;
            return expired_ || (user_ && user_());
        };
    }
    SessionLimit(const SessionLimit&) = delete;
    SessionLimit& operator=(const SessionLimit&) = delete;

    const AbortCheck& check() const noexcept { return check_; }
    bool expired() const noexcept { return expired_; }
    int ms() const noexcept { return ms_; }

private:
    using Clock = std::chrono::steady_clock;
    const AbortCheck& user_;
    int ms_ = 0;
    Clock::time_point deadline_;
    bool expired_ = false;
    AbortCheck check_;
};

struct ServerFeatures {
    bool startTls = false;
    bool authPlain = false;
    bool authLogin = false;
    bool anyAuth = false;
};

ServerFeatures featuresOf(const Reply& ehlo) {
    ServerFeatures features;
    for (std::size_t i = 1; i < ehlo.lines.size(); ++i) {
        const std::string_view coded = ehlo.lines[i];
        // The text after "250-"; the closing line may be the bare code.
        const std::string line =
            text::asciiUpperCase(coded.substr(std::min<std::size_t>(4, coded.size())));
        if (line == "STARTTLS" || line.starts_with("STARTTLS ")) {
            features.startTls = true;
        }
        if (line.starts_with("AUTH ") || line.starts_with("AUTH=")) {
            features.anyAuth = true;
            std::string mechanisms = " " + line.substr(5) + " ";
            features.authPlain |= mechanisms.find(" PLAIN ") != std::string::npos;
            features.authLogin |= mechanisms.find(" LOGIN ") != std::string::npos;
        }
    }
    return features;
}

// The outcome of one step: Ok, or an error text for the user.
struct Failure {
    std::string text;
    SessionStatus status = SessionStatus::Refused;
    bool refusedConnect = false; // nobody listens: the caller may try the next port
    bool canQuit = false;        // the conversation still works: say goodbye
};

class Session {
public:
    Session(Network& network, const SmtpOptions& options, const SessionLimit& limit,
            const SendStatus& status)
        : network_(network), options_(options), limit_(limit), abort_(limit.check()),
          status_(status) {}

    ~Session() {
        if (stream_) {
            stream_->close();
        }
    }

    std::optional<Failure> run(const std::string& host, std::uint16_t port, bool implicitTls,
                               const std::vector<MailAddress>& recipients,
                               const std::string& sender, const std::string& mime) {
        host_ = host;
        where_ = hostPortText(host, port);
        report(SendStage::Connecting, "Connecting to " + where_);
        NetResult connected =
            network_.connect(stream_, host, port, options_.connectTimeoutMs, abort_);
        if (!connected.ok()) {
            Failure failure = lost("Connect", connected, options_.connectTimeoutMs);
            failure.refusedConnect = connected.status == NetStatus::Refused;
            return failure;
        }
        if (implicitTls) {
            report(SendStage::Securing, "Securing the connection to " + where_);
            const NetResult secured =
                reader_.startTls(*stream_, host, options_.replyTimeoutMs, abort_);
            if (!secured.ok()) {
                return refusedTls("TLS", secured);
            }
        }
        Reply reply;
        if (auto failure = expect("Greeting", reply, 220)) {
            return failure;
        }
        ServerFeatures features;
        if (auto failure = hello(features)) {
            return failure;
        }
        if (!stream_->isTls() && features.startTls) {
            report(SendStage::Securing, "Securing the connection to " + where_);
            if (auto failure = command("STARTTLS", "STARTTLS", reply, 220)) {
                return failure;
            }
            const NetResult secured =
                reader_.startTls(*stream_, host, options_.replyTimeoutMs, abort_);
            if (!secured.ok()) {
                return refusedTls("STARTTLS", secured);
            }
            if (auto failure = hello(features)) {
                return failure;
            }
        }
        if (options_.authenticate) {
            if (auto failure = authenticate(features)) {
                return failure;
            }
        }
        report(SendStage::Sending, "Sending the message to " + where_);
        if (auto failure = command("Sender", "MAIL FROM:<" + sender + ">", reply, 250)) {
            return failure;
        }
        for (const MailAddress& recipient : recipients) {
            if (auto failure =
                    command("Recipient", "RCPT TO:<" + recipient.address + ">", reply, 250, 251)) {
                failure->text += " (" + recipient.address + ")";
                return failure;
            }
        }
        if (auto failure = command("DATA", "DATA", reply, 354)) {
            return failure;
        }
        if (auto failure = sendContent(dotStuffed(mime))) {
            return failure;
        }
        if (auto failure = expect("Message", reply, 250)) {
            return failure;
        }
        report(SendStage::Finishing, "Closing the connection to " + where_);
        // The mail is accepted: a QUIT that goes wrong changes nothing for the user.
        if (write("QUIT\r\n").ok()) {
            readReply(std::min(options_.replyTimeoutMs, kQuitTimeoutMs));
        }
        return std::nullopt;
    }

    // Ends a failed session politely, without waiting long for the server.
    void quit() {
        if (stream_ && write("QUIT\r\n").ok()) {
            readReply(std::min(options_.replyTimeoutMs, 1'000));
        }
    }

private:
    std::string fail(std::string_view step, const std::string& what) const {
        return std::string(step) + " failed; " + where_ + "; " + what;
    }

    // When only the certificate was refused, the encrypted session stands, and the server
    // hears QUIT over it rather than a connection that just ends.
    Failure refusedTls(std::string_view step, const NetResult& result) const {
        Failure failure = lost(step, result, options_.replyTimeoutMs);
        failure.canQuit = stream_->isTls();
        return failure;
    }

    // A wait that ended without an answer. One that the session's time limit ended, not
    // the user, is a timeout of the whole exchange.
    Failure lost(std::string_view step, const NetResult& result, int timeoutMs) const {
        if (result.status == NetStatus::Aborted && limit_.expired()) {
            return {fail(step, "the whole exchange took longer than " + secondsText(limit_.ms())),
                    SessionStatus::TimedOut};
        }
        return {fail(step, transportReason(result, timeoutMs)), statusFor(result.status)};
    }

    Failure lost(std::string_view step, const ReplyWait& wait) const {
        if (wait.malformed) {
            return {fail(step, "the server's answer is not SMTP"), SessionStatus::ProtocolError};
        }
        return lost(step, wait.net, options_.replyTimeoutMs);
    }

    Failure refused(std::string_view step, const Reply& reply) const {
        return {fail(step, reply.describe()), SessionStatus::Refused, false, true};
    }

    void report(SendStage stage, std::string text, std::size_t sent = 0, std::size_t total = 0) {
        if (status_) {
            status_(SendProgress{stage, std::move(text), sent, total});
        }
    }

    NetResult write(std::string_view data) {
        return stream_->writeAll(data, options_.replyTimeoutMs, abort_);
    }

    ReplyWait readReply(int timeoutMs) { return reader_.read(*stream_, timeoutMs, abort_); }

    // Reads a reply and checks its code; `step` names it in the error text.
    std::optional<Failure> expect(std::string_view step, Reply& reply, int wanted,
                                  int alsoWanted = 0) {
        ReplyWait got = readReply(options_.replyTimeoutMs);
        if (!got.answered()) {
            return lost(step, got);
        }
        reply = std::move(got.reply);
        if (reply.code != wanted && reply.code != alsoWanted) {
            return refused(step, reply);
        }
        return std::nullopt;
    }

    std::optional<Failure> command(std::string_view step, const std::string& line, Reply& reply,
                                   int wanted, int alsoWanted = 0) {
        const NetResult sent = write(line + "\r\n");
        if (!sent.ok()) {
            return lost(step, sent, options_.replyTimeoutMs);
        }
        return expect(step, reply, wanted, alsoWanted);
    }

    std::string helloName() const {
        const Address local = stream_->localAddress();
        if (local.ip.empty()) {
            return "[127.0.0.1]";
        }
        return local.isV6() ? "[IPv6:" + local.ip + "]" : "[" + local.ip + "]";
    }

    std::optional<Failure> hello(ServerFeatures& features) {
        Reply reply;
        const std::string name = helloName();
        const NetResult sent = write("EHLO " + name + "\r\n");
        if (!sent.ok()) {
            return lost("EHLO", sent, options_.replyTimeoutMs);
        }
        const ReplyWait got = readReply(options_.replyTimeoutMs);
        if (!got.answered()) {
            return lost("EHLO", got);
        }
        if (got.reply.code == 250) {
            features = featuresOf(got.reply);
            return std::nullopt;
        }
        // An old server that knows no extensions: plain HELO, and no STARTTLS or AUTH.
        features = {};
        return command("HELO", "HELO " + name, reply, 250);
    }

    std::optional<Failure> authenticate(const ServerFeatures& features) {
        if (!stream_->isTls()) {
            return Failure{fail("Authentication",
                                "the server offers no encryption, so the password was not sent"),
                           SessionStatus::TlsFailed, false, true};
        }
        report(SendStage::Authenticating, "Logging in to " + where_);
        Reply reply;
        if (features.authPlain) {
            const std::string credentials = base64(std::string(1, '\0') + options_.user +
                                                   std::string(1, '\0') + options_.password);
            if (auto failure =
                    command("Authentication", "AUTH PLAIN " + credentials, reply, 235, 334)) {
                return failure;
            }
            if (reply.code == 334) { // the server did not take the initial response
                return command("Authentication", credentials, reply, 235);
            }
            return std::nullopt;
        }
        if (features.authLogin) {
            if (auto failure = command("Authentication", "AUTH LOGIN", reply, 334)) {
                return failure;
            }
            if (auto failure = command("Authentication", base64(options_.user), reply, 334)) {
                return failure;
            }
            return command("Authentication", base64(options_.password), reply, 235);
        }
        return Failure{fail("Authentication", features.anyAuth
                                                  ? "the server offers neither AUTH PLAIN nor "
                                                    "AUTH LOGIN"
                                                  : "the server offers no authentication"),
                       SessionStatus::Refused, false, true};
    }

    std::optional<Failure> sendContent(const std::string& data) {
        for (std::size_t at = 0; at < data.size(); at += kDataChunk) {
            const std::string_view chunk = std::string_view(data).substr(at, kDataChunk);
            const NetResult sent = write(chunk);
            if (!sent.ok()) {
                return lost("Message", sent, options_.replyTimeoutMs);
            }
            report(SendStage::Sending, "Sending the message to " + where_, at + chunk.size(),
                   data.size());
        }
        return std::nullopt;
    }

    Network& network_;
    const SmtpOptions& options_;
    const SessionLimit& limit_;
    const AbortCheck& abort_;
    const SendStatus& status_;
    std::unique_ptr<ByteStream> stream_;
    ReplyReader reader_{ReplyGrammar::Smtp};
    std::string host_;
    std::string where_;
};

std::vector<MailAddress> recipientsOf(const MailMessage& message) {
    std::vector<MailAddress> all = parseAddressList(message.to);
    for (MailAddress& address : parseAddressList(message.cc)) {
        all.push_back(std::move(address));
    }
    return all;
}

// A path longer than SMTP allows (RFC 5321: 256 with its brackets) would be refused by the
// server after the connection, and could not be folded in a header either.
constexpr std::size_t kMaxAddressLength = 254;

bool isCleanAddress(std::string_view address) {
    return !address.empty() && address.size() <= kMaxAddressLength &&
           address.find_first_of("\r\n<>") == std::string_view::npos;
}

} // namespace

std::string dotStuffed(std::string_view crlfMessage) {
    std::string out;
    out.reserve(crlfMessage.size() + crlfMessage.size() / 64 + 8);
    bool lineStart = true;
    for (const char c : crlfMessage) {
        if (lineStart && c == '.') {
            out += '.';
        }
        out += c;
        lineStart = c == '\n';
    }
    if (!out.empty() && !out.ends_with("\r\n")) {
        out += "\r\n";
    }
    out += ".\r\n";
    return out;
}

SendResult SmtpClient::send(const MailMessage& message, const SmtpOptions& options,
                            const AbortCheck& abort, const SendStatus& status) {
    SendResult result;
    const std::optional<ServerAddress> server = parseServerAddress(options.server);
    if (!server) {
        result.status = SessionStatus::InvalidInput;
        result.errorText =
            "Server name not valid; " + options.server + "; use a host name or host:port";
        return result;
    }
    const std::vector<MailAddress> recipients = recipientsOf(message);
    if (recipients.empty()) {
        result.status = SessionStatus::InvalidInput;
        result.errorText =
            "No recipient; " + server->host + "; the To and Cc lists hold no address";
        return result;
    }
    // A line break in an address would let the text smuggle in commands of its own.
    for (const MailAddress& recipient : recipients) {
        if (!isCleanAddress(recipient.address)) {
            result.status = SessionStatus::InvalidInput;
            result.errorText = "Recipient not valid; " + server->host + "; " + recipient.address;
            return result;
        }
    }
    if (!isCleanAddress(message.fromAddress)) {
        result.status = SessionStatus::InvalidInput;
        result.errorText = "Sender not valid; " + server->host + "; " + message.fromAddress;
        return result;
    }
    MimeMail mime = buildMime(message, charsets_);
    result.charset = mime.charset;

    std::vector<std::uint16_t> ports;
    if (server->port) {
        ports.push_back(*server->port);
    } else {
        ports = {kSubmissionPort, kRelayPort};
    }
    const SessionLimit limit(options, mime.bytes.size(), abort);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        Session session(network_, options, limit, status);
        std::optional<Failure> failure =
            session.run(server->host, ports[i], options.implicitTls || ports[i] == kImplicitTlsPort,
                        recipients, message.fromAddress, mime.bytes);
        if (!failure) {
            result.status = SessionStatus::Ok;
            return result;
        }
        if (failure->refusedConnect && i + 1 < ports.size()) {
            continue;
        }
        if (failure->canQuit) {
            session.quit();
        }
        result.status = failure->status;
        result.errorText = std::move(failure->text);
        return result;
    }
    return result;
}

} // namespace pictorn::net
