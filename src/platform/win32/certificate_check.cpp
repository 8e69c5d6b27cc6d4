#include "platform/win32/certificate_check.h"

#include <cstdio>

namespace pictorn::platform::win32 {

NetResult certificateFailure(DWORD error) {
    switch (error) {
    case 0:
        return {};
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT):
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE):
        return NetResult{NetStatus::TlsFailed, 0, "certificate is not trusted"};
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        return NetResult{NetStatus::TlsFailed, 0, "certificate is for another host"};
    case static_cast<DWORD>(CERT_E_EXPIRED):
        return NetResult{NetStatus::TlsFailed, 0, "certificate has expired"};
    case static_cast<DWORD>(CERT_E_REVOKED):
        return NetResult{NetStatus::TlsFailed, 0, "certificate has been revoked"};
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
        return NetResult{NetStatus::TlsFailed, 0, "certificate is not for servers"};
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "certificate is not valid (0x%08lx)",
                      static_cast<unsigned long>(error));
        return NetResult{NetStatus::TlsFailed, 0, text};
    }
    }
}

NetResult checkServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& hostName) {
    if (!certificate) {
        return NetResult{NetStatus::TlsFailed, 0, "the server sent no certificate"};
    }
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    CertChain chain;
    // The server's intermediate certificates travel in the certificate's own store.
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                                 0, nullptr, chain.put())) {
        return certificateFailure(GetLastError());
    }

    SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara{};
    sslPara.cbSize = sizeof sslPara;
    sslPara.dwAuthType = AUTHTYPE_SERVER;
    std::wstring name = hostName;
    sslPara.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policyPara{};
    policyPara.cbSize = sizeof policyPara;
    policyPara.pvExtraPolicyPara = &sslPara;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policyPara,
                                          &status)) {
        return certificateFailure(GetLastError());
    }
    return certificateFailure(status.dwError);
}

} // namespace pictorn::platform::win32
