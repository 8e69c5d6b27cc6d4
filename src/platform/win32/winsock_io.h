#pragma once
// The socket-level pieces of the Winsock transport: the system calls the shared loops
// (platform/socket_loops.h) drive. Sockets are non-blocking and every wait is a select() of
// one slice: under Wine, closing a socket from another thread does not end a blocked
// send(), so nothing may block.
#include "platform/network.h"
#include "platform/socket_loops.h"
#include "platform/win32/net_handles.h"

#include <span>
#include <string_view>

namespace pictorn::platform {
template <> SocketStep SystemSocket<SOCKET>::receive(std::span<char> buffer) const;
template <> SocketStep SystemSocket<SOCKET>::send(std::string_view data) const;
template <> NetResult SystemSocket<SOCKET>::poll(WaitFor what, int sliceMs, bool& ready) const;
} // namespace pictorn::platform

namespace pictorn::platform::win32 {

// The Winsock calls of one non-blocking socket, for the shared loops of socket_loops.h.
using WinsockCalls = SystemSocket<SOCKET>;

// The result for a failed Winsock call with this error code.
NetResult wsaResult(int error);

Address socketAddress(SOCKET socket, bool peer);

} // namespace pictorn::platform::win32
