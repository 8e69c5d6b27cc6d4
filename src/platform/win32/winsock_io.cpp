#include "platform/win32/winsock_io.h"

#include "platform/win32/text.h"

#include <algorithm>
#include <climits>

namespace pictorn::platform::win32 {

namespace {

constexpr int sliceMs = 100;

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

} // namespace

NetClock::time_point netDeadlineIn(int timeoutMs) {
    return NetClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

int msUntil(NetClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - NetClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

NetResult waitReady(SOCKET socket, WaitFor what, NetClock::time_point deadline,
                    const AbortCheck& abort) {
    for (;;) {
        if (abort && abort()) {
            return fail(NetStatus::Aborted, "cancelled");
        }
        const int left = msUntil(deadline);
        const int slice = std::min(left, sliceMs);
        fd_set ready;
        fd_set failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(socket, &ready);
        FD_SET(socket, &failed);
        timeval wait{slice / 1000, (slice % 1000) * 1000};
        // A failed non-blocking connect shows in the exception set, not the write set.
        const int count = select(0, what == WaitFor::Read ? &ready : nullptr,
                                 what == WaitFor::Read ? nullptr : &ready,
                                 what == WaitFor::Connect ? &failed : nullptr, &wait);
        if (count == SOCKET_ERROR) {
            return wsaResult(WSAGetLastError());
        }
        if (count > 0) {
            if (what == WaitFor::Connect && FD_ISSET(socket, &failed)) {
                int error = 0;
                int length = sizeof error;
                getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
                return wsaResult(error != 0 ? error : WSAECONNREFUSED);
            }
            return {};
        }
        if (left <= 0) {
            return fail(NetStatus::TimedOut, "timed out");
        }
    }
}

NetResult wsaResult(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return fail(NetStatus::Refused, "connection refused");
    case WSAETIMEDOUT:
        return fail(NetStatus::TimedOut, "timed out");
    case WSAECONNRESET:
    case WSAECONNABORTED:
        return fail(NetStatus::Closed, "connection reset by the peer");
    case WSAESHUTDOWN:
    case WSAENOTCONN:
        return fail(NetStatus::Closed, "connection closed by the peer");
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
    case WSATRY_AGAIN:
    case WSANO_RECOVERY:
        return fail(NetStatus::NotFound, "host not found");
    case WSAENETUNREACH:
    case WSAENETDOWN:
        return fail(NetStatus::Failed, "network is unreachable");
    case WSAEHOSTUNREACH:
    case WSAEHOSTDOWN:
        return fail(NetStatus::Failed, "host is unreachable");
    case WSAEADDRNOTAVAIL:
        return fail(NetStatus::Failed, "address is not available");
    case WSAEADDRINUSE:
        return fail(NetStatus::Failed, "address is already in use");
    case WSAEAFNOSUPPORT:
        return fail(NetStatus::Failed, "address family is not supported");
    default:
        return fail(NetStatus::Failed, "network error " + std::to_string(error));
    }
}

NetResult recvSome(SOCKET socket, std::span<char> buffer, NetClock::time_point deadline,
                   const AbortCheck& abort) {
    if (buffer.empty()) {
        return {};
    }
    const int wanted = static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX));
    for (;;) {
        const int got = recv(socket, buffer.data(), wanted, 0);
        if (got > 0) {
            return NetResult{NetStatus::Ok, static_cast<std::size_t>(got), {}};
        }
        if (got == 0) {
            return fail(NetStatus::Closed, "connection closed by the peer");
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && error != WSAEINTR) {
            return wsaResult(error);
        }
        if (auto waited = waitReady(socket, WaitFor::Read, deadline, abort); !waited.ok()) {
            return waited;
        }
    }
}

NetResult sendAll(SOCKET socket, std::string_view data, int timeoutMs, const AbortCheck& abort) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const int piece = static_cast<int>(std::min<std::size_t>(data.size() - sent, 1 << 20));
        const int put = send(socket, data.data() + sent, piece, 0);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
            continue;
        }
        const int error = WSAGetLastError();
        if (put == SOCKET_ERROR && error != WSAEWOULDBLOCK && error != WSAEINTR) {
            auto result = wsaResult(error);
            result.bytes = sent;
            return result;
        }
        auto waited = waitReady(socket, WaitFor::Write, netDeadlineIn(timeoutMs), abort);
        if (!waited.ok()) {
            waited.bytes = sent;
            return waited;
        }
    }
    return NetResult{NetStatus::Ok, sent, {}};
}

Address socketAddress(SOCKET socket, bool peer) {
    sockaddr_storage storage{};
    int length = sizeof storage;
    auto* raw = reinterpret_cast<sockaddr*>(&storage);
    const int rc = peer ? getpeername(socket, raw, &length) : getsockname(socket, raw, &length);
    if (rc != 0) {
        return {};
    }
    wchar_t host[NI_MAXHOST] = {};
    wchar_t port[NI_MAXSERV] = {};
    if (GetNameInfoW(raw, length, host, NI_MAXHOST, port, NI_MAXSERV,
                     NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return {};
    }
    return Address{toUtf8(host), static_cast<std::uint16_t>(wcstoul(port, nullptr, 10))};
}

} // namespace pictorn::platform::win32
