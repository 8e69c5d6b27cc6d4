#pragma once
// Checks a TLS server's certificate the way Windows checks it for the browser: the chain must
// end in a trusted root and the certificate must name the host. A server given as an IPv4 or
// IPv6 address must be named by one of the certificate's IP alternative names (never by a
// common or DNS name); that match is ours, as Wine's chain policy does not match addresses.
#include "platform/network.h"
#include "platform/win32/net_handles.h"

#include <string>
#include <vector>

namespace pictorn::platform::win32 {

NetResult checkServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& hostName);

// The 4 or 16 bytes of an address literal ("127.0.0.1", "::1"); empty for a host name.
std::vector<BYTE> addressLiteralBytes(const std::wstring& host);

// The detail text for a chain policy error (0x800B0109 untrusted root, ...).
NetResult certificateFailure(DWORD error);

} // namespace pictorn::platform::win32
