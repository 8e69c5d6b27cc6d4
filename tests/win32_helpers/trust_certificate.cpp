// trust_certificate.exe FILE.pem: adds a certificate to the current user's trusted roots, so
// the TLS tests of win32_tests.exe can reach a local server whose certificate was made for
// the run. Run it in the test's own Wine prefix before the tests start: a process keeps the
// view of the store it first opened, so the one that adds cannot be the one that checks.
#include "platform/win32/net_handles.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace pictorn::platform::win32;

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_certificate FILE.pem\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (pem.empty()) {
        std::fprintf(stderr, "cannot read %ls\n", argv[1]);
        return 1;
    }
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::fprintf(stderr, "not a PEM certificate: %ls\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                         der.data(), &size, nullptr, nullptr);
    CertContext certificate(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size));
    CertStore roots(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root"));
    if (!certificate || !roots ||
        !CertAddCertificateContextToStore(roots.get(), certificate.get(),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "cannot add the certificate (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
