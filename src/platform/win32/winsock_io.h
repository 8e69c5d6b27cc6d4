#pragma once
// The socket-level pieces of the Winsock transport. Sockets are non-blocking and every wait
// is a select() of at most 100 ms that asks the abort check first: under Wine, closing a
// socket from another thread does not end a blocked send(), so nothing may block.
#include "platform/network.h"
#include "platform/win32/net_handles.h"

#include <chrono>
#include <span>
#include <string_view>

namespace pictorn::platform::win32 {

using NetClock = std::chrono::steady_clock;

NetClock::time_point netDeadlineIn(int timeoutMs);
int msUntil(NetClock::time_point deadline);

enum class WaitFor { Read, Write, Connect };

// Ok once `socket` is ready; TimedOut, Aborted or Failed otherwise. A connect that failed
// reports its error.
NetResult waitReady(SOCKET socket, WaitFor what, NetClock::time_point deadline,
                    const AbortCheck& abort);

// The result for a failed Winsock call with this error code.
NetResult wsaResult(int error);

NetResult recvSome(SOCKET socket, std::span<char> buffer, NetClock::time_point deadline,
                   const AbortCheck& abort);
// timeoutMs bounds each wait for the peer to take more.
NetResult sendAll(SOCKET socket, std::string_view data, int timeoutMs, const AbortCheck& abort);

Address socketAddress(SOCKET socket, bool peer);

} // namespace pictorn::platform::win32
