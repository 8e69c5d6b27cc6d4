#include "platform/socket_loops.h"

#include <algorithm>
#include <climits>

namespace pictorn::platform {

namespace {

constexpr int kSliceMs = 100;

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

} // namespace

NetResult socketFailure(SocketFailure failure) {
    switch (failure) {
    case SocketFailure::Refused:
        return fail(NetStatus::Refused, "connection refused");
    case SocketFailure::TimedOut:
        return fail(NetStatus::TimedOut, "timed out");
    case SocketFailure::Reset:
        return fail(NetStatus::Closed, "connection reset by the peer");
    case SocketFailure::ClosedByPeer:
        return fail(NetStatus::Closed, "connection closed by the peer");
    case SocketFailure::HostNotFound:
        return fail(NetStatus::NotFound, "host not found");
    case SocketFailure::NetworkUnreachable:
        return fail(NetStatus::Failed, "network is unreachable");
    case SocketFailure::HostUnreachable:
        return fail(NetStatus::Failed, "host is unreachable");
    case SocketFailure::AddressNotAvailable:
        return fail(NetStatus::Failed, "address is not available");
    case SocketFailure::AddressInUse:
        return fail(NetStatus::Failed, "address is already in use");
    case SocketFailure::FamilyNotSupported:
        return fail(NetStatus::Failed, "address family is not supported");
    }
    return fail(NetStatus::Failed, "network error");
}

NetClock::time_point netDeadlineIn(int timeoutMs) {
    return NetClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

int msUntil(NetClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - NetClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

NetResult waitReady(const SocketCalls& socket, WaitFor what, NetClock::time_point deadline,
                    const AbortCheck& abort) {
    for (;;) {
        if (abort && abort()) {
            return fail(NetStatus::Aborted, "aborted");
        }
        const int left = msUntil(deadline);
        bool ready = false;
        if (NetResult polled = socket.poll(what, std::min(left, kSliceMs), ready); !polled.ok()) {
            return polled;
        }
        if (ready) {
            return {};
        }
        if (left <= 0) {
            return fail(NetStatus::TimedOut, "timed out");
        }
    }
}

NetResult retryWhenReady(const SocketCalls& socket, WaitFor what,
                         const std::function<SocketStep()>& attempt, NetClock::time_point deadline,
                         const AbortCheck& abort) {
    for (;;) {
        SocketStep step = attempt();
        if (!step.wouldBlock) {
            return step.result;
        }
        if (NetResult waited = waitReady(socket, what, deadline, abort); !waited.ok()) {
            return waited;
        }
    }
}

NetResult receiveSome(const SocketCalls& socket, std::span<char> buffer,
                      NetClock::time_point deadline, const AbortCheck& abort) {
    if (buffer.empty()) {
        return {};
    }
    return retryWhenReady(
        socket, WaitFor::Read, [&] { return socket.receive(buffer); }, deadline, abort);
}

NetResult sendAll(const SocketCalls& socket, std::string_view data, int timeoutMs,
                  const AbortCheck& abort) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        NetResult put = retryWhenReady(
            socket, WaitFor::Write, [&] { return socket.send(data.substr(sent)); },
            netDeadlineIn(timeoutMs), abort);
        if (!put.ok()) {
            put.bytes = sent;
            return put;
        }
        sent += put.bytes;
    }
    return NetResult{NetStatus::Ok, sent, {}};
}

NetResult connectToEach(std::size_t count, const std::function<NetResult(std::size_t)>& connectTo) {
    NetResult last = socketFailure(SocketFailure::HostNotFound);
    for (std::size_t i = 0; i < count; ++i) {
        last = connectTo(i);
        if (last.ok() || last.status == NetStatus::Aborted || last.status == NetStatus::TimedOut) {
            break;
        }
    }
    return last;
}

} // namespace pictorn::platform
