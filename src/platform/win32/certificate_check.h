#pragma once
// Checks a TLS server's certificate the way Windows checks it for the browser: the chain must
// end in a trusted root and the certificate must name the host.
#include "platform/network.h"
#include "platform/win32/net_handles.h"

#include <string>

namespace pictorn::platform::win32 {

NetResult checkServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& hostName);

// The detail text for a chain policy error (0x800B0109 untrusted root, ...).
NetResult certificateFailure(DWORD error);

} // namespace pictorn::platform::win32
