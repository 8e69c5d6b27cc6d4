#pragma once
// The one transport the mail and FTP clients speak through: a TCP connection that can turn
// into TLS, with every wait bounded by a timeout and an abort check. Winsock + Schannel
// implement it in the program; POSIX sockets (and a TLS library) implement it natively so
// the protocol code is tested against real local servers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace pictorn::platform {

// Asked about every 100 ms while a call waits; answering true ends the wait with Aborted.
// An empty function never aborts.
using AbortCheck = std::function<bool()>;

enum class NetStatus {
    Ok,
    Closed,    // the peer ended the connection (a read then returns 0 bytes)
    TimedOut,  // nothing happened within the call's timeout
    Aborted,   // the abort check said stop
    Refused,   // nobody listens there (connect only)
    NotFound,  // the host name does not resolve (connect only)
    TlsFailed, // handshake failed, or the certificate is untrusted or names another host
    Failed,    // any other system failure; the detail says which
};

// What a call did. `detail` is a short lower-case text for error messages
// ("connection refused", "certificate is not trusted"), empty on success.
struct NetResult {
    NetStatus status = NetStatus::Ok;
    std::size_t bytes = 0; // bytes read or written
    std::string detail;

    bool ok() const noexcept { return status == NetStatus::Ok; }
};

struct Address {
    std::string ip; // numeric: "127.0.0.1" or "::1" (no brackets)
    std::uint16_t port = 0;
    bool isV6() const noexcept { return ip.find(':') != std::string::npos; }
};

// What a later connection to the same server needs to resume a connection's TLS session.
// FTP servers demand it on data connections: a data connection whose session is not the
// control connection's could have been opened by someone else. Opaque: only the transport
// that made it reads it.
class TlsResumption {
public:
    virtual ~TlsResumption() = default;
};

class ByteStream {
public:
    virtual ~ByteStream() = default;
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // Waits up to timeoutMs for at least one byte and reads what has arrived, at most
    // buffer.size(). Closed (with 0 bytes) when the peer has ended the connection.
    virtual NetResult readSome(std::span<char> buffer, int timeoutMs, const AbortCheck& abort) = 0;
    // Sends every byte; timeoutMs bounds each wait for the peer to take more, not the whole.
    virtual NetResult writeAll(std::string_view data, int timeoutMs, const AbortCheck& abort) = 0;
    // Makes this connection TLS as the client. The certificate must chain to a root the
    // system trusts and name `hostName`; otherwise TlsFailed with the reason. When the
    // handshake itself completed and only the certificate was refused, the session may stay
    // up (isTls() true) so that the caller can end its protocol politely over it (QUIT);
    // nothing else may be sent.
    virtual NetResult startTls(const std::string& hostName, int timeoutMs,
                               const AbortCheck& abort) = 0;
    // As startTls, offering to resume the TLS session of the connection `from` came from
    // (its tlsResumption(), for the same host name). A server that starts a new session
    // instead is not an error here; tlsResumed() tells which it was.
    virtual NetResult resumeTls(const std::string& hostName,
                                const std::shared_ptr<TlsResumption>& from, int timeoutMs,
                                const AbortCheck& abort) {
        (void)from;
        return startTls(hostName, timeoutMs, abort);
    }
    // What later connections pass to resumeTls; null when this connection is not TLS.
    virtual std::shared_ptr<TlsResumption> tlsResumption() const { return nullptr; }
    // True when the TLS handshake resumed an earlier session.
    virtual bool tlsResumed() const noexcept { return false; }
    virtual bool isTls() const noexcept = 0;
    virtual Address localAddress() const = 0;
    virtual Address peerAddress() const = 0;
    // Ends the connection politely (TLS close_notify, then shutdown); safe to call twice.
    virtual void close() noexcept = 0;
    // Ends the connection at once with a reset, dropping what is still unsent. For a transfer
    // cut short: an FTP server takes a polite end of the data connection for the end of the
    // file, and would go on storing what our send buffer still holds after we gave up.
    virtual void abandon() noexcept { close(); }
};

class Listener {
public:
    virtual ~Listener() = default;
    // Where the peer should connect (the address passed to listen, the port chosen).
    virtual Address address() const = 0;
    // Waits up to timeoutMs for one incoming connection.
    virtual NetResult accept(std::unique_ptr<ByteStream>& accepted, int timeoutMs,
                             const AbortCheck& abort) = 0;
};

class Network {
public:
    virtual ~Network() = default;
    // Resolves `host` (a name or a numeric address, IPv6 without brackets) and connects,
    // trying each address until one answers, all within timeoutMs.
    virtual NetResult connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                              std::uint16_t port, int timeoutMs, const AbortCheck& abort) = 0;
    // Listens on `localIp` (numeric), on a port the system chooses.
    virtual NetResult listen(std::unique_ptr<Listener>& listener, const std::string& localIp) = 0;
};

} // namespace pictorn::platform
