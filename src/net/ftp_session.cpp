#include "net/ftp_session.h"

#include "net/ftp_session_parts.h"

#include <algorithm>

namespace pictorn::net {

using platform::AbortCheck;
using platform::NetResult;
using platform::NetStatus;
using platform::Network;

namespace {

bool hasLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool offersTls(const std::vector<std::string>& features) {
    return std::any_of(features.begin(), features.end(), [](const std::string& feature) {
        return feature.rfind("AUTH", 0) == 0 && feature.find("TLS") != std::string::npos;
    });
}

} // namespace

const char* ftpStepName(FtpStep step) {
    switch (step) {
    case FtpStep::Connect:
        return "Connect";
    case FtpStep::ChangeFolder:
        return "Change folder";
    case FtpStep::PutFile:
        return "Put file";
    case FtpStep::Quit:
        return "Quit";
    }
    return "FTP";
}

std::string errorLine(FtpStep step, const std::string& what, const std::string& reason) {
    std::string line = std::string(ftpStepName(step)) + ": " + what;
    if (!reason.empty()) {
        line += ": " + reason;
    }
    if (line.back() != '.') {
        line += '.';
    }
    return line;
}

FtpSession::FtpSession(Network& network, AbortCheck abortCheck, FtpTimeouts timeouts)
    : network_(network),
      abort_(std::make_shared<PacedAbort>(std::move(abortCheck), timeouts.abortCheckMs)),
      timeouts_(timeouts) {
    pacedAbort_ = [abort = abort_] {
        return (*abort)();
    };
}

FtpSession::~FtpSession() {
    dropConnection();
}

void FtpSession::note(const std::string& line) {
    log_ += line;
    log_ += "\r\n";
}

void FtpSession::dropConnection() {
    if (control_) {
        control_->close();
        control_.reset();
    }
    reader_.clear();
    serverEnded_ = false;
}

void FtpSession::connectionLost(const Exchange& exchange) {
    dropConnection();
    // A server that went silent or talks nonsense is not worth a second visit; one that
    // hung up, or that we stopped waiting for, is.
    serverEnded_ = !exchange.malformed && statusOf(exchange.net) != SessionStatus::TimedOut;
}

void FtpSession::allowMore(std::uint64_t ms) {
    constexpr std::uint64_t kMonth = 30ull * 24 * 3600 * 1000;
    abort_->allowMore(std::chrono::milliseconds(std::min(ms, kMonth)));
}

SessionStatus FtpSession::statusOf(const NetResult& net) const {
    if (net.status == NetStatus::Aborted && !abort_->fired()) {
        return SessionStatus::TimedOut;
    }
    return statusFor(net.status);
}

std::string FtpSession::why(const NetResult& net, int timeoutMs) const {
    if (net.status == NetStatus::Aborted && !abort_->fired()) {
        return "the session ran out of time (the server answers or takes data too slowly)";
    }
    return transportReason(net, timeoutMs);
}

bool FtpSession::checkAbort() {
    return pacedAbort_();
}

int FtpSession::cleanupWaitMs() const {
    // After Abort the user waits for us: a healthy server answers within milliseconds, and
    // a hung one must not hold the window for long.
    return abort_->fired() ? std::min(timeouts_.cleanupMs, 500) : timeouts_.cleanupMs;
}

NetResult FtpSession::send(const std::string& command, const std::string& shown) {
    note("> " + (shown.empty() ? command : shown));
    return control_->writeAll(command + "\r\n", timeouts_.replyMs, pacedAbort_);
}

FtpSession::Exchange FtpSession::readReply(int timeoutMs, bool withAbort) {
    Exchange exchange;
    exchange.timeoutMs = timeoutMs;
    const AbortCheck noAbort;
    static_cast<ReplyWait&>(exchange) =
        reader_.read(*control_, timeoutMs, withAbort ? pacedAbort_ : noAbort);
    if (exchange.malformed) {
        const std::string_view shown = reader_.received().substr(0, 80);
        note("< " + std::string(shown.substr(0, shown.find_first_of("\r\n"))));
    } else if (exchange.net.ok()) {
        for (const std::string& line : exchange.reply.lines) {
            note("< " + line);
        }
    }
    return exchange;
}

FtpSession::Exchange FtpSession::readFinalReply(int timeoutMs, bool withAbort) {
    // "Wait" replies do not earn the server more time: the final reply is due within the
    // one timeout.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Exchange exchange = readReply(timeoutMs, withAbort);
    while (exchange.answered() && exchange.reply.preliminary()) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        exchange = readReply(static_cast<int>(std::max<long long>(left, 0)), withAbort);
    }
    exchange.timeoutMs = timeoutMs;
    return exchange;
}

FtpSession::Exchange FtpSession::command(const std::string& text, const std::string& shown) {
    Exchange exchange;
    exchange.timeoutMs = timeouts_.replyMs;
    exchange.net = send(text, shown);
    if (!exchange.net.ok()) {
        return exchange;
    }
    return readFinalReply(timeouts_.replyMs);
}

FtpResult FtpSession::fail(FtpStep step, SessionStatus status, const std::string& text) {
    FtpResult result;
    result.status = status;
    result.step = step;
    result.error = text;
    if (status == SessionStatus::Aborted) {
        aborted_ = true;
    }
    return result;
}

FtpResult FtpSession::failure(FtpStep step, const Exchange& exchange, const std::string& what) {
    FtpResult result;
    result.step = step;
    if (exchange.malformed) {
        result.status = SessionStatus::ProtocolError;
        result.error = errorLine(step, what, "the server's answer is not FTP");
        connectionLost(exchange);
    } else if (!exchange.net.ok()) {
        result.status = statusOf(exchange.net);
        result.error = errorLine(step, what, why(exchange.net, exchange.timeoutMs));
        // Without the reply we cannot tell where the conversation stands: start no more.
        connectionLost(exchange);
    } else {
        result.status = SessionStatus::Refused;
        result.reply = exchange.reply.text();
        result.error = errorLine(step, what, result.reply);
        if (exchange.reply.code == 421) { // the server is closing this connection
            connectionLost(exchange);
        }
    }
    if (result.status == SessionStatus::Aborted) {
        aborted_ = true;
    }
    if (!result.error.empty()) {
        note("! " + result.error);
    }
    return result;
}

FtpResult FtpSession::connect(const FtpLogin& login) {
    dropConnection();
    protectData_ = epsvRefused_ = eprtRefused_ = renameRefused_ = false;
    passive_ = login.passive;
    const ServerText server = parseServerText(login.server);
    if (!server.ok()) {
        return fail(FtpStep::Connect, SessionStatus::InvalidInput,
                    errorLine(FtpStep::Connect, "the server name is not usable", server.error));
    }
    if (hasLineBreak(login.user) || hasLineBreak(login.password)) {
        return fail(
            FtpStep::Connect, SessionStatus::InvalidInput,
            errorLine(FtpStep::Connect, "the user name or password holds a line break", {}));
    }
    allowMore(static_cast<std::uint64_t>(std::max(timeouts_.sessionMs, 0)));
    if (aborted_ || checkAbort()) {
        return fail(FtpStep::Connect, SessionStatus::Aborted,
                    errorLine(FtpStep::Connect, "not connected", "aborted"));
    }
    tlsHost_ = server.host;
    login_ = login;
    folders_.clear();
    secured_ = false;
    note("Connecting to " + server.display() + (passive_ ? " (passive mode)" : " (active mode)"));
    const NetResult connected =
        network_.connect(control_, server.host, server.port, timeouts_.connectMs, pacedAbort_);
    if (!connected.ok()) {
        control_.reset();
        Exchange exchange;
        exchange.net = connected;
        exchange.timeoutMs = timeouts_.connectMs;
        return failure(FtpStep::Connect, exchange, "cannot reach " + server.display());
    }
    const Exchange greeting = readFinalReply(timeouts_.replyMs);
    if (!greeting.answered() || !greeting.reply.positive()) {
        FtpResult result =
            failure(FtpStep::Connect, greeting,
                    greeting.answered() ? "the server refused the connection" : "no greeting");
        dropConnection();
        return result;
    }
    const Exchange feat = command("FEAT");
    if (!feat.answered()) {
        return failure(FtpStep::Connect, feat, "no answer to FEAT");
    }
    const std::vector<std::string> features = parseFeatures(feat.reply);
    FtpResult result = secureControl(features, feat.reply.positive());
    if (result.ok()) {
        result = this->login(login);
    }
    if (!result.ok()) {
        dropConnection();
    }
    return result;
}

FtpResult FtpSession::secureControl(const std::vector<std::string>& features, bool featuresKnown) {
    if (featuresKnown && !offersTls(features)) {
        return withoutTls({});
    }
    const Exchange auth = command("AUTH TLS");
    if (!auth.answered()) {
        return failure(FtpStep::Connect, auth, "no answer to AUTH TLS");
    }
    if (auth.reply.code != 234) {
        return withoutTls(auth.reply.text());
    }
    const NetResult tls = reader_.startTls(*control_, tlsHost_, timeouts_.connectMs, pacedAbort_);
    if (!tls.ok()) {
        if (control_->isTls()) {
            // Only the certificate was refused, over a session that is up: the server hears
            // a goodbye rather than a dropped connection (nothing else goes over it).
            cleanupCommand("QUIT");
        }
        Exchange exchange;
        exchange.net = tls;
        exchange.timeoutMs = timeouts_.connectMs;
        return failure(FtpStep::Connect, exchange, "TLS with " + tlsHost_);
    }
    note("* TLS established: the control connection is encrypted.");
    secured_ = true;
    const Exchange pbsz = command("PBSZ 0");
    if (!pbsz.answered()) {
        return failure(FtpStep::Connect, pbsz, "no answer to PBSZ");
    }
    const Exchange prot = command("PROT P");
    if (!prot.answered()) {
        return failure(FtpStep::Connect, prot, "no answer to PROT");
    }
    protectData_ = prot.reply.positive();
    if (!protectData_) {
        note("* The server refused encrypted data connections: file contents go unencrypted.");
    }
    return {};
}

FtpResult FtpSession::withoutTls(const std::string& why) {
    if (requireTls_) {
        const std::string line =
            errorLine(FtpStep::Connect, "the server no longer offers TLS, which it did", why);
        note("! " + line);
        return fail(FtpStep::Connect, SessionStatus::TlsFailed, line);
    }
    note("* The server does not offer TLS: the session is not encrypted.");
    return {};
}

FtpResult FtpSession::login(const FtpLogin& credentials) {
    const Exchange user = command("USER " + credentials.user);
    if (!user.answered() || (!user.reply.positive() && user.reply.code != 331)) {
        return failure(FtpStep::Connect, user, "the server refused the login");
    }
    if (user.reply.code == 331) {
        const Exchange pass = command("PASS " + credentials.password, "PASS ****");
        if (!pass.answered() || !pass.reply.positive()) {
            if (pass.answered() && pass.reply.code == 332) {
                return fail(FtpStep::Connect, SessionStatus::Refused,
                            errorLine(FtpStep::Connect,
                                      "the server asks for an account, which is not supported",
                                      pass.reply.text()));
            }
            return failure(FtpStep::Connect, pass, "the server refused the login");
        }
    }
    const Exchange type = command("TYPE I");
    if (!type.answered() || !type.reply.positive()) {
        return failure(FtpStep::Connect, type, "the server refused binary mode");
    }
    return {};
}

FtpResult FtpSession::changeFolder(const std::string& folder) {
    if (!control_) {
        return fail(FtpStep::ChangeFolder,
                    aborted_ ? SessionStatus::Aborted : SessionStatus::InvalidInput,
                    errorLine(FtpStep::ChangeFolder, "not connected", aborted_ ? "aborted" : ""));
    }
    if (folder.empty()) {
        return {};
    }
    allowMore(static_cast<std::uint64_t>(std::max(timeouts_.sessionMs, 0)));
    if (hasLineBreak(folder)) {
        return fail(FtpStep::ChangeFolder, SessionStatus::InvalidInput,
                    errorLine(FtpStep::ChangeFolder, "the folder name holds a line break", {}));
    }
    const Exchange cwd = command("CWD " + folder);
    if (!cwd.answered() || !cwd.reply.positive()) {
        return failure(FtpStep::ChangeFolder, cwd,
                       "the server refused to change to \"" + folder + "\"");
    }
    folders_.push_back(folder);
    return {};
}

FtpSession::Exchange FtpSession::cleanupCommand(const std::string& text) {
    Exchange exchange;
    exchange.timeoutMs = cleanupWaitMs();
    if (!control_) {
        exchange.net.status = NetStatus::Closed;
        return exchange;
    }
    note("> " + text);
    exchange.net = control_->writeAll(text + "\r\n", exchange.timeoutMs, AbortCheck{});
    if (exchange.net.ok()) {
        exchange = readFinalReply(exchange.timeoutMs, false);
    }
    if (!exchange.answered()) {
        connectionLost(exchange);
    }
    return exchange;
}

void FtpSession::quit() {
    cleanupCommand("QUIT");
    dropConnection();
}

} // namespace pictorn::net
