#include "platform/win32/winsock_io.h"

#include "platform/win32/text.h"

#include <algorithm>
#include <climits>

namespace pictorn::platform::win32 {

namespace {

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

} // namespace

NetResult wsaResult(int error) {
    using enum SocketFailure;
    switch (error) {
    case WSAECONNREFUSED:
        return socketFailure(Refused);
    case WSAETIMEDOUT:
        return socketFailure(TimedOut);
    case WSAECONNRESET:
    case WSAECONNABORTED:
        return socketFailure(Reset);
    case WSAESHUTDOWN:
    case WSAENOTCONN:
        return socketFailure(ClosedByPeer);
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
    case WSATRY_AGAIN:
    case WSANO_RECOVERY:
        return socketFailure(HostNotFound);
    case WSAENETUNREACH:
    case WSAENETDOWN:
        return socketFailure(NetworkUnreachable);
    case WSAEHOSTUNREACH:
    case WSAEHOSTDOWN:
        return socketFailure(HostUnreachable);
    case WSAEADDRNOTAVAIL:
        return socketFailure(AddressNotAvailable);
    case WSAEADDRINUSE:
        return socketFailure(AddressInUse);
    case WSAEAFNOSUPPORT:
        return socketFailure(FamilyNotSupported);
    default:
        return fail(NetStatus::Failed, "network error " + std::to_string(error));
    }
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

// The system calls of the shared loops, defined where their template lives.
namespace pictorn::platform {

template <> SocketStep SystemSocket<SOCKET>::receive(std::span<char> buffer) const {
    const int wanted = static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX));
    const int got = recv(handle_, buffer.data(), wanted, 0);
    if (got > 0) {
        return {NetResult{NetStatus::Ok, static_cast<std::size_t>(got), {}}};
    }
    if (got == 0) {
        return {socketFailure(SocketFailure::ClosedByPeer)};
    }
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) {
        return {{}, true};
    }
    return {win32::wsaResult(error)};
}

template <> SocketStep SystemSocket<SOCKET>::send(std::string_view data) const {
    const int piece = static_cast<int>(std::min<std::size_t>(data.size(), 1 << 20));
    const int put = ::send(handle_, data.data(), piece, 0);
    if (put > 0) {
        return {NetResult{NetStatus::Ok, static_cast<std::size_t>(put), {}}};
    }
    const int error = WSAGetLastError();
    if (put != SOCKET_ERROR || error == WSAEWOULDBLOCK || error == WSAEINTR) {
        return {{}, true};
    }
    return {win32::wsaResult(error)};
}

template <> NetResult SystemSocket<SOCKET>::poll(WaitFor what, int sliceMs, bool& ready) const {
    fd_set readable;
    fd_set failed;
    FD_ZERO(&readable);
    FD_ZERO(&failed);
    FD_SET(handle_, &readable);
    FD_SET(handle_, &failed);
    timeval wait{sliceMs / 1000, (sliceMs % 1000) * 1000};
    // A failed non-blocking connect shows in the exception set, not the write set.
    const int count = select(0, what == WaitFor::Read ? &readable : nullptr,
                             what == WaitFor::Read ? nullptr : &readable,
                             what == WaitFor::Connect ? &failed : nullptr, &wait);
    if (count == SOCKET_ERROR) {
        return win32::wsaResult(WSAGetLastError());
    }
    if (count > 0 && what == WaitFor::Connect && FD_ISSET(handle_, &failed)) {
        int error = 0;
        int length = sizeof error;
        getsockopt(handle_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
        return win32::wsaResult(error != 0 ? error : WSAECONNREFUSED);
    }
    ready = count > 0;
    return {};
}

} // namespace pictorn::platform
