// FtpSession's uploads: the data connection (passive or active, with TLS when the control
// connection has it), STOR of the bytes in chunks with progress and abort checks, and the
// temporary name that is renamed into place once the server has the whole file.
#include "net/ftp_session.h"

#include "net/ftp_session_parts.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace pictorn::net {

using platform::Address;
using platform::ByteStream;
using platform::NetResult;
using platform::NetStatus;

namespace {

using Clock = std::chrono::steady_clock;

// Each chunk is one call into the transport, and under Wine every send is a round trip to the
// wineserver: on a fast connection chunks grow to the largest size, so there are few calls
// (larger ones gain nothing and fall out of the processor's cache). A chunk that took longer
// than a progress interval halves the next, so a slow line still reports its progress and
// asks about aborting several times a second.
constexpr std::size_t kFirstChunkBytes = 256 * 1024;
constexpr std::size_t kMinChunkBytes = 64 * 1024;
constexpr std::size_t kMaxChunkBytes = 512 * 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

bool hasLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

bool permanentNo(const Reply& reply) {
    return reply.code >= 500 && reply.code < 600;
}

// How servers refuse a data connection whose TLS session is new: vsftpd "522 SSL connection
// failed: session reuse required", proftpd "425 Unable to build data connection".
bool refusesNewTlsSession(const Reply& reply) {
    return reply.code == 522 || reply.code == 425;
}

} // namespace

FtpResult FtpSession::putFile(const std::string& localPath, const std::string& remoteName,
                              const PutProgressFn& progress) {
    const std::string what = quoted(remoteName) + " was not stored";
    if (aborted_ || abort_->fired()) {
        return fail(FtpStep::PutFile, SessionStatus::Aborted,
                    errorLine(FtpStep::PutFile, what, "aborted"));
    }
    std::string error;
    const std::unique_ptr<FileUploadSource> source = FileUploadSource::open(localPath, error);
    if (!source) {
        note("! " + errorLine(FtpStep::PutFile, what, error));
        return fail(FtpStep::PutFile, SessionStatus::LocalFileFailed,
                    errorLine(FtpStep::PutFile, what, error));
    }
    return putFile(*source, remoteName, progress);
}

FtpResult FtpSession::putFile(UploadSource& source, const std::string& remoteName,
                              const PutProgressFn& progress) {
    const std::string shown = quoted(remoteName);
    const std::string what = shown + " was not stored";
    rate_ = 0;
    if (aborted_ || abort_->fired()) {
        return fail(FtpStep::PutFile, SessionStatus::Aborted,
                    errorLine(FtpStep::PutFile, what, "aborted"));
    }
    if (!control_) {
        return fail(FtpStep::PutFile, SessionStatus::InvalidInput,
                    errorLine(FtpStep::PutFile, what, "not connected"));
    }
    if (remoteName.empty() || hasLineBreak(remoteName)) {
        return fail(FtpStep::PutFile, SessionStatus::InvalidInput,
                    errorLine(FtpStep::PutFile, what, "the name is empty or holds a line break"));
    }
    // Time for the commands, and for the bytes at the least rate we wait for.
    const std::uint64_t bytesMs =
        source.size() * 1000 / static_cast<std::uint64_t>(std::max(timeouts_.minBytesPerSecond, 1));
    allowMore(static_cast<std::uint64_t>(std::max(timeouts_.sessionMs, 0)) + bytesMs);
    if (!renameRefused_) {
        const std::string temporary = remoteName + ".part";
        bool refusedName = false;
        FtpResult result = storeAs(source, temporary, shown, progress, refusedName);
        if (result.ok()) {
            bool refusedRename = false;
            result = renameInto(temporary, remoteName, shown, refusedRename);
            if (result.ok() || !refusedRename) {
                return result;
            }
            note("* The server refused the rename: storing " + shown +
                 " under its own name directly.");
            deleteQuietly(temporary);
        } else if (refusedName) {
            note("* The server refused the temporary name " + quoted(temporary) + ": storing " +
                 shown + " under its own name directly.");
        } else {
            return result;
        }
        renameRefused_ = true;
        allowMore(bytesMs); // the bytes go a second time
        std::string error;
        if (!source.rewind(error)) {
            return fail(FtpStep::PutFile, SessionStatus::LocalFileFailed,
                        errorLine(FtpStep::PutFile, what, error));
        }
        if (!control_) {
            return fail(FtpStep::PutFile, SessionStatus::NetworkFailed,
                        errorLine(FtpStep::PutFile, what, "the connection was lost"));
        }
    } else {
        note("* Storing " + shown + " under its own name directly (the server refuses renames).");
    }
    bool ignored = false;
    return storeAs(source, remoteName, shown, progress, ignored);
}

FtpResult FtpSession::storeAs(UploadSource& source, const std::string& storeName,
                              const std::string& shownName, const PutProgressFn& progress,
                              bool& refusedName) {
    const std::string what = shownName + " was not stored";
    DataChannel channel;
    if (FtpResult opened = openDataChannel(channel, shownName); !opened.ok()) {
        return opened;
    }
    Exchange stor;
    stor.timeoutMs = timeouts_.replyMs;
    stor.net = send("STOR " + storeName);
    if (stor.net.ok()) {
        stor = readReply(timeouts_.replyMs);
    }
    if (stor.net.status == NetStatus::Aborted) { // the server may have begun the file
        if (channel.stream) {
            channel.stream->abandon();
        }
        return abandonAborted(storeName, what, stor.net);
    }
    if (!stor.answered() || !stor.reply.preliminary()) {
        refusedName = stor.answered() && permanentNo(stor.reply);
        return failure(FtpStep::PutFile, stor, what);
    }
    if (channel.listener) {
        const NetResult accepted =
            channel.listener->accept(channel.stream, timeouts_.dataMs, pacedAbort_);
        if (!accepted.ok()) {
            const SessionStatus status = statusOf(accepted);
            const std::string reason = accepted.status == NetStatus::TimedOut
                                           ? "the server did not open the data connection within " +
                                                 secondsText(timeouts_.dataMs) +
                                                 " (try passive mode)"
                                           : why(accepted, timeouts_.dataMs);
            channel.listener.reset();
            abandonTransfer(storeName);
            note("! " + errorLine(FtpStep::PutFile, what, reason));
            return fail(FtpStep::PutFile, status, errorLine(FtpStep::PutFile, what, reason));
        }
    }
    // Many servers take only a data connection that resumes the control connection's TLS
    // session (one that does not could have been opened by someone else).
    bool newTlsSession = false;
    if (protectData_) {
        const NetResult tls = channel.stream->resumeTls(tlsHost_, control_->tlsResumption(),
                                                        timeouts_.dataMs, pacedAbort_);
        if (!tls.ok()) {
            const std::string reason = why(tls, timeouts_.dataMs);
            channel.stream->close();
            abandonTransfer(storeName);
            note("! " + errorLine(FtpStep::PutFile, what, reason));
            return fail(FtpStep::PutFile, statusOf(tls), errorLine(FtpStep::PutFile, what, reason));
        }
        newTlsSession = !channel.stream->tlsResumed();
    }
    FtpResult sent = sendData(*channel.stream, source, shownName, progress);
    if (sent.ok()) {
        channel.stream->close();
    } else {
        channel.stream->abandon(); // a polite end would tell the server the file is whole
        note("! " + sent.error);
        const Reply answer = abandonTransfer(storeName);
        return newTlsSession && refusesNewTlsSession(answer) ? reuseRefusal(what, answer) : sent;
    }
    const Exchange done = readFinalReply(timeouts_.dataMs);
    if (done.net.status == NetStatus::Aborted) { // the server may be finishing the file
        return abandonAborted(storeName, what, done.net);
    }
    if (!done.answered() || !done.reply.positive()) {
        FtpResult result = done.answered() && newTlsSession && refusesNewTlsSession(done.reply)
                               ? reuseRefusal(what, done.reply)
                               : failure(FtpStep::PutFile, done, what);
        deleteQuietly(storeName);
        return result;
    }
    return {};
}

FtpResult FtpSession::openDataChannel(DataChannel& channel, const std::string& shownName) {
    const std::string what = shownName + " was not stored";
    if (passive_) {
        const Address peer = control_->peerAddress();
        std::optional<Address> target;
        if (!epsvRefused_) {
            const Exchange epsv = command("EPSV");
            if (!epsv.answered()) {
                return failure(FtpStep::PutFile, epsv, what);
            }
            if (const std::optional<std::uint16_t> port = parseEpsvReply(epsv.reply)) {
                target = Address{peer.ip, *port};
            } else if (epsv.reply.code == 229) {
                Exchange odd = epsv;
                odd.malformed = true;
                return failure(FtpStep::PutFile, odd, what);
            } else if (permanentNo(epsv.reply)) {
                epsvRefused_ = true;
                note("* The server does not know EPSV: using PASV.");
            } else {
                return failure(FtpStep::PutFile, epsv, what);
            }
        }
        if (!target) {
            if (peer.isV6()) {
                return fail(FtpStep::PutFile, SessionStatus::Refused,
                            errorLine(FtpStep::PutFile, what,
                                      "the server offers no passive mode over IPv6"));
            }
            const Exchange pasv = command("PASV");
            if (!pasv.answered() || pasv.reply.code != 227) {
                return failure(FtpStep::PutFile, pasv, what);
            }
            const std::optional<Address> announced = parsePasvReply(pasv.reply);
            if (!announced) {
                Exchange odd = pasv;
                odd.malformed = true;
                return failure(FtpStep::PutFile, odd, what);
            }
            target = choosePassiveAddress(*announced, peer);
            if (target->ip != announced->ip) {
                note("* The server announced the address " + announced->ip +
                     ", which cannot be reached from here: using " + target->ip + ".");
            }
        }
        const NetResult connected = network_.connect(channel.stream, target->ip, target->port,
                                                     timeouts_.dataMs, pacedAbort_);
        if (!connected.ok()) {
            const std::string reason = "cannot open the data connection to " + target->ip + ":" +
                                       std::to_string(target->port) + " (" +
                                       why(connected, timeouts_.dataMs) + ")";
            note("! " + errorLine(FtpStep::PutFile, what, reason));
            return fail(FtpStep::PutFile, statusOf(connected),
                        errorLine(FtpStep::PutFile, what, reason));
        }
        return {};
    }
    const Address local = control_->localAddress();
    const NetResult listening = network_.listen(channel.listener, local.ip);
    if (!listening.ok()) {
        const std::string reason = "cannot listen on " + local.ip + " for active mode (" +
                                   transportReason(listening, 0) + ")";
        note("! " + errorLine(FtpStep::PutFile, what, reason));
        return fail(FtpStep::PutFile, statusFor(listening.status),
                    errorLine(FtpStep::PutFile, what, reason));
    }
    const Address address = channel.listener->address();
    if (!eprtRefused_) {
        const Exchange eprt = command(eprtCommand(address));
        if (!eprt.answered()) {
            return failure(FtpStep::PutFile, eprt, what);
        }
        if (eprt.reply.positive()) {
            return {};
        }
        if (!permanentNo(eprt.reply) || address.isV6()) {
            return failure(FtpStep::PutFile, eprt, what);
        }
        eprtRefused_ = true;
        note("* The server does not know EPRT: using PORT.");
    }
    const std::optional<std::string> port = portCommand(address);
    if (!port) {
        return fail(
            FtpStep::PutFile, SessionStatus::Refused,
            errorLine(FtpStep::PutFile, what, "the server offers no active mode over IPv6"));
    }
    const Exchange portReply = command(*port);
    if (!portReply.answered() || !portReply.reply.positive()) {
        return failure(FtpStep::PutFile, portReply, what);
    }
    return {};
}

FtpResult FtpSession::sendData(ByteStream& data, UploadSource& source, const std::string& shownName,
                               const PutProgressFn& progress) {
    const std::string what = shownName + " was not stored";
    std::vector<char> buffer(kMaxChunkBytes);
    std::size_t chunkBytes = kFirstChunkBytes;
    const std::uint64_t total = source.size();
    std::uint64_t sent = 0;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastReport = start;
    int lastPercent = -1;
    const auto report = [&](bool finished) {
        const Clock::time_point now = Clock::now();
        const auto micros =
            std::chrono::duration_cast<std::chrono::microseconds>(now - start).count();
        rate_ = micros > 0 ? static_cast<std::uint64_t>(static_cast<double>(sent) * 1e6 /
                                                        static_cast<double>(micros))
                           : 0;
        int percent = finished ? 100 : 0;
        if (!finished && total > 0) {
            percent = static_cast<int>(std::min<std::uint64_t>(99, sent * 100 / total));
        }
        if (progress &&
            (finished || percent != lastPercent || now - lastReport >= kProgressInterval)) {
            lastReport = now;
            lastPercent = percent;
            progress(PutProgress{sent, std::max(total, sent), percent, rate_});
        }
    };
    report(false);
    while (true) {
        if (checkAbort()) {
            const NetResult stopped{NetStatus::Aborted, 0, {}};
            return fail(FtpStep::PutFile, statusOf(stopped),
                        errorLine(FtpStep::PutFile, what, why(stopped, 0)));
        }
        const Clock::time_point chunkStart = Clock::now();
        std::size_t got = 0;
        std::string error;
        if (!source.read(std::span<char>(buffer.data(), chunkBytes), got, error)) {
            return fail(FtpStep::PutFile, SessionStatus::LocalFileFailed,
                        errorLine(FtpStep::PutFile, what, error));
        }
        if (got == 0) {
            break;
        }
        const NetResult written =
            data.writeAll(std::string_view(buffer.data(), got), timeouts_.dataMs, pacedAbort_);
        if (!written.ok()) {
            std::string reason = why(written, timeouts_.dataMs);
            if (written.status == NetStatus::TimedOut) {
                reason = "the server stopped taking data (nothing accepted within " +
                         secondsText(timeouts_.dataMs) + ")";
            } else if (written.status == NetStatus::Closed) {
                reason = "the server closed the data connection";
            }
            return fail(FtpStep::PutFile, statusOf(written),
                        errorLine(FtpStep::PutFile, what, reason));
        }
        sent += got;
        report(false);
        const Clock::duration took = Clock::now() - chunkStart;
        if (took < kProgressInterval / 4) {
            chunkBytes = std::min(chunkBytes * 2, kMaxChunkBytes);
        } else if (took > kProgressInterval) {
            chunkBytes = std::max(chunkBytes / 2, kMinChunkBytes);
        }
    }
    report(true);
    return {};
}

FtpResult FtpSession::renameInto(const std::string& from, const std::string& to,
                                 const std::string& shownName, bool& refused) {
    const std::string what = shownName + " was stored as " + quoted(from) + " but not renamed";
    const Exchange rnfr = command("RNFR " + from);
    const bool ready = rnfr.answered() && rnfr.reply.code == 350;
    const Exchange last = ready ? command("RNTO " + to) : rnfr;
    if (ready && last.answered() && last.reply.positive()) {
        return {};
    }
    refused = last.answered() && permanentNo(last.reply);
    if (refused) { // the caller stores under the name directly
        return fail(FtpStep::PutFile, SessionStatus::Refused, {});
    }
    FtpResult result = failure(FtpStep::PutFile, last, what);
    deleteQuietly(from);
    return result;
}

Reply FtpSession::abandonTransfer(const std::string& storeName) {
    if (!control_) {
        return {};
    }
    // ABOR as well as the reset data connection: a server that had not yet taken the data
    // connection when it reset waits for another and never answers the STOR. Answers come in
    // order, the STOR's final reply if it has one (426, or 226 from a server that took the
    // reset for the end of the file), then ABOR's; 225 only ever answers ABOR.
    const int wait = cleanupWaitMs();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
    note("> ABOR");
    Exchange reply;
    reply.net = control_->writeAll("ABOR\r\n", wait, platform::AbortCheck{});
    Reply stor;
    int answers = 0;
    while (reply.net.ok() && answers < 2 && !(answers == 1 && stor.code == 225)) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        reply = readFinalReply(static_cast<int>(std::max<long long>(left.count(), 0)), false);
        if (!reply.answered()) {
            break;
        }
        if (++answers == 1) {
            stor = reply.reply;
        }
    }
    if (answers == 0) {
        note("* The server does not answer any more: closing the connection.");
        connectionLost(reply);
    }
    deleteQuietly(storeName);
    return stor.code == 225 ? Reply{} : stor;
}

FtpResult FtpSession::reuseRefusal(const std::string& what, const Reply& reply) {
    const std::string line = errorLine(
        FtpStep::PutFile, what,
        "the server requires TLS session reuse (a data connection must resume the control "
        "connection's TLS session), which the TLS of this system did not do: " +
            reply.text());
    note("! " + line);
    FtpResult result = fail(FtpStep::PutFile, SessionStatus::TlsFailed, line);
    result.reply = reply.text();
    return result;
}

FtpResult FtpSession::abandonAborted(const std::string& storeName, const std::string& what,
                                     const NetResult& net) {
    FtpResult result =
        fail(FtpStep::PutFile, statusOf(net), errorLine(FtpStep::PutFile, what, why(net, 0)));
    note("! " + result.error);
    abandonTransfer(storeName);
    return result;
}

void FtpSession::deleteQuietly(const std::string& name) {
    std::string why;
    if (control_) {
        const Exchange dele = cleanupCommand("DELE " + name);
        if (dele.answered()) {
            why = dele.reply.positive() ? "" : dele.reply.text();
        }
    }
    if (!control_) {
        why = serverEnded_ && mayRevisit_ ? deleteAfterReconnect(name)
                                          : "the connection to the server is lost";
    }
    if (!why.empty()) {
        note("* " + quoted(name) + " could not be deleted: " + why +
             (why.back() == '.' ? "" : "."));
    }
}

std::string FtpSession::deleteAfterReconnect(const std::string& name) {
    note("* The server ended the session: connecting again to delete " + quoted(name) + ".");
    // As brief as the cleanup on this connection; after Abort nothing more is asked of the
    // user's abort check, which has already answered.
    const int wait = cleanupWaitMs();
    FtpTimeouts brief = timeouts_;
    brief.connectMs = brief.replyMs = brief.dataMs = brief.cleanupMs = wait;
    brief.sessionMs = 2 * wait; // for the connect, and again for each folder
    platform::AbortCheck check;
    if (!abort_->fired()) {
        check = [abort = abort_] {
            return (*abort)();
        };
    }
    FtpSession visit(network_, std::move(check), brief);
    visit.mayRevisit_ = false;
    visit.requireTls_ = secured_;
    FtpResult result = visit.connect(login_);
    for (std::size_t i = 0; result.ok() && i < folders_.size(); ++i) {
        result = visit.changeFolder(folders_[i]);
    }
    std::string why;
    if (!result.ok()) {
        why = result.error;
    } else {
        const Exchange dele = visit.command("DELE " + name);
        if (!dele.answered()) {
            why = dele.malformed ? "the server's answer is not FTP"
                                 : transportReason(dele.net, dele.timeoutMs);
        } else if (!dele.reply.positive()) {
            why = dele.reply.text();
        }
    }
    visit.quit();
    log_ += visit.log();
    return why;
}

} // namespace pictorn::net
