#include "platform/win32/certificate_check.h"

#include <algorithm>
#include <cstdio>

namespace pictorn::platform::win32 {

namespace {

bool namesAddress(PCCERT_CONTEXT certificate, const std::vector<BYTE>& address) {
    const CERT_EXTENSION* extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension,
                          certificate->pCertInfo->rgExtension);
    if (!extension) {
        return false;
    }
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                             &size)) {
        return false;
    }
    const LocalMemory owned(names);
    return std::any_of(names->rgAltEntry, names->rgAltEntry + names->cAltEntry,
                       [&](const CERT_ALT_NAME_ENTRY& entry) {
                           return entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                                  std::equal(entry.IPAddress.pbData,
                                             entry.IPAddress.pbData + entry.IPAddress.cbData,
                                             address.begin(), address.end());
                       });
}

} // namespace

std::vector<BYTE> addressLiteralBytes(const std::wstring& host) {
    IN6_ADDR v6{};
    if (InetPtonW(AF_INET6, host.c_str(), &v6) == 1) {
        return std::vector<BYTE>(v6.s6_addr, v6.s6_addr + sizeof v6.s6_addr);
    }
    IN_ADDR v4{};
    if (InetPtonW(AF_INET, host.c_str(), &v4) == 1) {
        const auto* bytes = reinterpret_cast<const BYTE*>(&v4);
        return std::vector<BYTE>(bytes, bytes + sizeof v4);
    }
    return {};
}

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

    // For an address the policy checks the chain only, without a name.
    const std::vector<BYTE> address = addressLiteralBytes(hostName);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara{};
    sslPara.cbSize = sizeof sslPara;
    sslPara.dwAuthType = AUTHTYPE_SERVER;
    std::wstring name = hostName;
    sslPara.pwszServerName = address.empty() ? name.data() : nullptr;
    CERT_CHAIN_POLICY_PARA policyPara{};
    policyPara.cbSize = sizeof policyPara;
    policyPara.pvExtraPolicyPara = &sslPara;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policyPara,
                                          &status)) {
        return certificateFailure(GetLastError());
    }
    if (status.dwError == 0 && !address.empty() && !namesAddress(certificate, address)) {
        return certificateFailure(static_cast<DWORD>(CERT_E_CN_NO_MATCH));
    }
    return certificateFailure(status.dwError);
}

} // namespace pictorn::platform::win32
