#pragma once
// Our FTP client: one session on one control connection, built on the shared byte-stream
// transport. The FTP window drives it step by step:
//
//   net::FtpSession ftp(network, [&] { return checkAbortAndPumpEvents(); });
//   FtpResult r = ftp.connect({server, user, password, passive});   // greeting, TLS, login
//   if (r.ok()) r = ftp.changeFolder(remoteFolder);
//   if (r.ok()) r = ftp.putFile(localPath, remoteName, onProgress);  // once per file
//   ftp.quit();
//   show ftp.log() (commands and replies, the password as ****) and r.error
//
// Every wait is bounded by a timeout and asks the abort check about every 100 ms (during
// connect, login, replies and transfers), so Abort and a hung server end a call within a
// fraction of a second of the check answering true or the timeout passing. The abort check
// is also the place for the caller to read uploadRate() and keep its window alive.
//
// TLS: when the server offers AUTH TLS (or does not answer FEAT), the control connection
// and the data connections are secured (AUTH TLS, PBSZ 0, PROT P) with the transport's
// certificate checks; a failed check fails the connect, it never falls back to plain text
// (a transport that refuses the certificate only after the handshake, with the session up,
// gets a QUIT through it first).
//
// Uploads never leave half a file under the target name: the bytes go to "<name>.part",
// which is renamed (RNFR/RNTO) once the server has confirmed the whole file. A server that
// refuses the temporary name or the rename gets the file under its own name directly
// (logged). A failed or aborted upload deletes what it stored, under either name; when the
// server has ended the session first, the session connects once more (same server, login
// and TLS, short timeouts) to delete it. The log says when a file could not be deleted.
#include "net/ftp_reply.h"
#include "net/ftp_server_text.h"
#include "net/reply_reader.h"
#include "net/session_status.h"
#include "net/upload_source.h"
#include "platform/network.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pictorn::net {

// The step a result belongs to; its name opens every error text.
enum class FtpStep { Connect, ChangeFolder, PutFile, Quit };
const char* ftpStepName(FtpStep step); // "Connect", "Change folder", "Put file", "Quit"

struct FtpResult {
    SessionStatus status = SessionStatus::Ok;
    FtpStep step = FtpStep::Connect;
    std::string reply; // the server's last reply ("550 No such file or directory."), if any
    // One line for the user, naming the step and, when there is one, the server's reply:
    // `Change folder: the server refused to change to "/www": 550 No such file or directory.`
    std::string error;

    bool ok() const noexcept { return status == SessionStatus::Ok; }
};

struct FtpLogin {
    std::string server; // "host", "host:port", "[v6]:port" (port 21 when none is given)
    std::string user;
    std::string password; // sent as given; shown as **** in the log
    bool passive = true;  // EPSV/PASV; false: EPRT/PORT on the control connection's address
};

struct FtpTimeouts {
    int connectMs = 20000; // TCP connect and the TLS handshake
    int replyMs = 30000;   // each server reply
    int dataMs = 30000;    // the data connection: opening, each wait to send, the final reply
    int cleanupMs = 2000;  // tidying up after a failure (deleting the temporary file, QUIT);
                           // at most 0.5 s after an abort
    int abortCheckMs = 90; // the abort check is asked no more often than this
    // The session as a whole, so that a server that beats each wait above again and again
    // (a reply in drips, data taken a little at a time) cannot hold it for hours: connect,
    // changeFolder and putFile each add sessionMs to the time the session may take, putFile
    // also the file's size at minBytesPerSecond; what a call leaves unused carries over.
    int sessionMs = 120000;
    int minBytesPerSecond = 4096;
};

struct PutProgress {
    std::uint64_t bytesSent = 0;
    std::uint64_t totalBytes = 0;
    int percent = 0;                  // 0..100 of the current file
    std::uint64_t bytesPerSecond = 0; // since the file's data connection opened
};
// Called at 0 %, whenever the percentage changes or about every 100 ms, and at 100 %.
using PutProgressFn = std::function<void(const PutProgress&)>;

class FtpSession {
public:
    // `abortCheck` is asked about every 100 ms while any call runs (not much more often);
    // answering true ends the running call with Aborted. `network` must outlive the session.
    FtpSession(platform::Network& network, platform::AbortCheck abortCheck,
               FtpTimeouts timeouts = {});
    ~FtpSession(); // closes the connection (without QUIT) if still open
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // Connects, reads the greeting, secures the connection when offered, logs in and sets
    // binary mode. On failure the connection is closed again.
    FtpResult connect(const FtpLogin& login);
    // CWD; an empty folder leaves the current folder as it is.
    FtpResult changeFolder(const std::string& folder);
    // Stores a local file (by UTF-8 path) or any source as `remoteName` in the current
    // folder. Calls after an abort fail at once with Aborted; after a lost connection with
    // NetworkFailed or TimedOut.
    FtpResult putFile(const std::string& localPath, const std::string& remoteName,
                      const PutProgressFn& progress = {});
    FtpResult putFile(UploadSource& source, const std::string& remoteName,
                      const PutProgressFn& progress = {});
    // QUIT (waiting briefly for the goodbye) and close; safe when not connected.
    void quit();

    bool connected() const noexcept { return control_ != nullptr; }
    bool secured() const noexcept { return control_ && control_->isTls(); }
    // The rate of the running (or last) upload in bytes per second.
    std::uint64_t uploadRate() const noexcept { return rate_; }
    // Everything so far: the commands sent (PASS as ****), the replies, and notes of what
    // the client decided, one line each, joined by CR LF.
    const std::string& log() const noexcept { return log_; }

private:
    struct Exchange; // a reply or why none came
    class PacedAbort;

    // control connection
    void note(const std::string& line);
    platform::NetResult send(const std::string& command, const std::string& shown = {});
    Exchange readReply(int timeoutMs, bool withAbort = true);
    Exchange readFinalReply(int timeoutMs, bool withAbort = true);
    Exchange command(const std::string& command, const std::string& shown = {});
    // A command after a failure or abort: short timeout, no abort check; a silent server
    // loses the connection.
    Exchange cleanupCommand(const std::string& command);
    FtpResult failure(FtpStep step, const Exchange& exchange, const std::string& what);
    FtpResult fail(FtpStep step, SessionStatus status, const std::string& text);
    void dropConnection();
    // The session's deadline moves `ms` later (from now, if it has passed).
    void allowMore(std::uint64_t ms);
    // The status and the reason (for an error text) of a failed wait. A wait that the
    // session's deadline ended, not the user, reads as a timeout of the session.
    SessionStatus statusOf(const platform::NetResult& net) const;
    std::string why(const platform::NetResult& net, int timeoutMs) const;
    // Drops a connection whose exchange failed, noting whether the server ended it.
    void connectionLost(const Exchange& exchange);
    bool checkAbort();
    int cleanupWaitMs() const;

    // connect
    FtpResult secureControl(const std::vector<std::string>& features, bool featuresKnown);
    FtpResult withoutTls(const std::string& why);
    FtpResult login(const FtpLogin& login);

    // transfer
    struct DataChannel;
    FtpResult storeAs(UploadSource& source, const std::string& storeName,
                      const std::string& shownName, const PutProgressFn& progress,
                      bool& refusedName);
    FtpResult openDataChannel(DataChannel& channel, const std::string& shownName);
    FtpResult sendData(platform::ByteStream& data, UploadSource& source,
                       const std::string& shownName, const PutProgressFn& progress);
    FtpResult renameInto(const std::string& from, const std::string& to,
                         const std::string& shownName, bool& refused);
    // After the data side of a STOR failed: collect the server's answer (returned; code 0
    // when none came) and remove what it stored, or drop a connection whose server stays
    // silent.
    Reply abandonTransfer(const std::string& storeName);
    // The same after the abort check ended a wait while the server had the STOR.
    FtpResult abandonAborted(const std::string& storeName, const std::string& what,
                             const platform::NetResult& net);
    // The failure for a server that refused a data connection because its TLS session was
    // not resumed from the control connection.
    FtpResult reuseRefusal(const std::string& what, const Reply& reply);
    // Deletes a file of ours that a failed upload may have left, logging when it cannot.
    void deleteQuietly(const std::string& name);
    std::string deleteAfterReconnect(const std::string& name); // why it failed, or empty

    platform::Network& network_;
    std::shared_ptr<PacedAbort> abort_;
    platform::AbortCheck pacedAbort_;
    FtpTimeouts timeouts_;
    std::unique_ptr<platform::ByteStream> control_;
    ReplyReader reader_{ReplyGrammar::Ftp}; // the control connection's replies
    std::string log_;
    std::string tlsHost_;
    FtpLogin login_;                   // for the visit that deletes what a failure left
    std::vector<std::string> folders_; // the folders changed to since the login, in order
    bool serverEnded_ = false;         // the server, not we, ended the lost connection
    bool secured_ = false;             // the control connection had TLS
    bool requireTls_ = false;          // a visit after a secured session: no TLS, no login
    bool mayRevisit_ = true;           // false in the visit itself
    bool passive_ = true;
    bool protectData_ = false;
    bool epsvRefused_ = false;
    bool eprtRefused_ = false;
    bool renameRefused_ = false;
    bool aborted_ = false;
    std::uint64_t rate_ = 0;
};

} // namespace pictorn::net
