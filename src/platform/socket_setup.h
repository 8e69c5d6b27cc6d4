#pragma once
// Name lookup, connecting and listening, shared by POSIX sockets and Winsock: a numeric
// address is taken at once and a name is looked up on a helper thread within the deadline
// and the abort check; each resolved address is tried in the system's order within one
// deadline; a non-blocking connect is waited for in the shared slices; a listener binds to a
// numeric local address on a port the system picks. Each platform supplies only its system
// calls and error codes, as a `System` with these static members:
//
//   Socket         its owned socket (move-only, get(), true when open)
//   Resolved       one entry of the lookup's list (addrinfo, ADDRINFOW)
//   AddressList    the owned list
//   int lookup(host, port, LookupKind, AddressList&, int& error)   0 when found
//   NetResult lookupFailed(int rc, int error)
//   Socket open(int family)            non-blocking and not inherited; empty on failure
//   NetResult lastError()              the failure of the call that just failed
//   SocketStep startConnect(const Socket&, const Resolved&)   wouldBlock: under way
//   NetResult connectOutcome(const Socket&)   once the socket is ready for it
//   NetResult bindAndListen(const Socket&, const Resolved&)
//   SocketStep acceptOne(const Socket& listening, Socket& accepted)
//   Address localAddress(const Socket&)
#include "platform/background_wait.h"
#include "platform/network.h"
#include "platform/socket_loops.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pictorn::platform {

enum class LookupKind {
    NumericHost, // an address literal only (IPv4 or IPv6, without brackets)
    Name,        // anything the system's resolver knows
    Passive,     // a numeric local address to listen on
};

template <class System>
using StreamMaker = std::function<std::unique_ptr<ByteStream>(typename System::Socket)>;

namespace socket_setup {

template <class Socket> auto callsOf(const Socket& socket) {
    return SystemSocket<decltype(socket.get())>(socket.get());
}

// The lookup cannot be interrupted: a name (not a numeric address) is looked up in the
// background, so the lookup still obeys the timeout and the abort check.
template <class System>
NetResult resolve(typename System::AddressList& found, const std::string& host, std::uint16_t port,
                  NetClock::time_point deadline, const AbortCheck& abort) {
    int ignored = 0;
    if (System::lookup(host, port, LookupKind::NumericHost, found, ignored) == 0)
        return {};
    struct Lookup {
        int rc = 0;
        int error = 0;
        typename System::AddressList list;
    };
    Lookup lookup;
    NetResult waited = waitInBackground(
        [host, port] {
            Lookup done;
            done.rc = System::lookup(host, port, LookupKind::Name, done.list, done.error);
            return done;
        },
        lookup, deadline, abort, "host name lookup timed out");
    if (!waited.ok())
        return waited;
    if (lookup.rc != 0)
        return System::lookupFailed(lookup.rc, lookup.error);
    found = std::move(lookup.list);
    return {};
}

template <class System>
NetResult connectOne(typename System::Socket& connected, const typename System::Resolved& address,
                     NetClock::time_point deadline, const AbortCheck& abort) {
    typename System::Socket socket = System::open(address.ai_family);
    if (!socket)
        return System::lastError();
    const SocketStep started = System::startConnect(socket, address);
    if (!started.wouldBlock && !started.result.ok())
        return started.result;
    if (started.wouldBlock) {
        NetResult waited = waitReady(callsOf(socket), WaitFor::Connect, deadline, abort);
        if (!waited.ok()) {
            if (waited.status == NetStatus::TimedOut)
                waited.detail = "connection timed out";
            return waited;
        }
        if (NetResult outcome = System::connectOutcome(socket); !outcome.ok())
            return outcome;
    }
    connected = std::move(socket);
    return {};
}

template <class System> class SocketListener final : public Listener {
public:
    SocketListener(typename System::Socket socket, StreamMaker<System> makeStream)
        : socket_(std::move(socket)), makeStream_(std::move(makeStream)) {}

    Address address() const override { return System::localAddress(socket_); }

    NetResult accept(std::unique_ptr<ByteStream>& accepted, int timeoutMs,
                     const AbortCheck& abort) override {
        return retryWhenReady(
            callsOf(socket_), WaitFor::Read,
            [&] {
                typename System::Socket taken;
                const SocketStep step = System::acceptOne(socket_, taken);
                if (taken)
                    accepted = makeStream_(std::move(taken));
                return step;
            },
            netDeadlineIn(timeoutMs), abort);
    }

private:
    typename System::Socket socket_;
    StreamMaker<System> makeStream_;
};

} // namespace socket_setup

// Resolves `host` and connects to each of its addresses in turn, all within timeoutMs.
template <class System>
NetResult connectSocket(std::unique_ptr<ByteStream>& connected, const std::string& host,
                        std::uint16_t port, int timeoutMs, const AbortCheck& abort,
                        const StreamMaker<System>& makeStream) {
    if (abort && abort())
        return NetResult{NetStatus::Aborted, 0, "aborted"};
    const auto deadline = netDeadlineIn(timeoutMs);
    typename System::AddressList addresses;
    if (NetResult resolved = socket_setup::resolve<System>(addresses, host, port, deadline, abort);
        !resolved.ok())
        return resolved;
    std::vector<const typename System::Resolved*> each;
    for (const auto* address = addresses.get(); address; address = address->ai_next)
        each.push_back(address);
    return connectToEach(each.size(), [&](std::size_t i) {
        typename System::Socket socket;
        NetResult result = socket_setup::connectOne<System>(socket, *each[i], deadline, abort);
        if (result.ok())
            connected = makeStream(std::move(socket));
        return result;
    });
}

// Listens on the numeric `localIp`, on a port the system picks.
template <class System>
NetResult listenSocket(std::unique_ptr<Listener>& listener, const std::string& localIp,
                       StreamMaker<System> makeStream) {
    typename System::AddressList addresses;
    int ignored = 0;
    if (System::lookup(localIp, 0, LookupKind::Passive, addresses, ignored) != 0)
        return NetResult{NetStatus::Failed, 0, "not a numeric local address"};
    typename System::Socket socket = System::open(addresses->ai_family);
    if (!socket)
        return System::lastError();
    if (NetResult bound = System::bindAndListen(socket, *addresses); !bound.ok())
        return bound;
    listener = std::make_unique<socket_setup::SocketListener<System>>(std::move(socket),
                                                                      std::move(makeStream));
    return {};
}

} // namespace pictorn::platform
