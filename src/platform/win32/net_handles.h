#pragma once
// Owners for the handles of the network layer: sockets, Schannel credentials and security
// contexts, and certificate contexts, chains and stores (see handle.h for the pattern).
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/handle.h"

#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

namespace pictorn::platform::win32 {

struct SocketTraits {
    using pointer = SOCKET;
    static pointer invalid() noexcept { return INVALID_SOCKET; }
    static void close(pointer socket) noexcept { closesocket(socket); }
};

// CredHandle and CtxtHandle are two-word structs, not pointers; this gives them equality.
struct SecurityHandleRef {
    SecHandle handle{};
    SecHandle* get() noexcept { return &handle; }
    friend bool operator==(const SecurityHandleRef& a, const SecurityHandleRef& b) noexcept {
        return a.handle.dwLower == b.handle.dwLower && a.handle.dwUpper == b.handle.dwUpper;
    }
};

struct CredentialsTraits {
    using pointer = SecurityHandleRef;
    static pointer invalid() noexcept { return {}; }
    static bool valid(pointer ref) noexcept {
        return ref.handle.dwLower != 0 || ref.handle.dwUpper != 0;
    }
    static void close(pointer ref) noexcept { FreeCredentialsHandle(ref.get()); }
};

struct SecurityContextTraits {
    using pointer = SecurityHandleRef;
    static pointer invalid() noexcept { return {}; }
    static bool valid(pointer ref) noexcept {
        return ref.handle.dwLower != 0 || ref.handle.dwUpper != 0;
    }
    static void close(pointer ref) noexcept { DeleteSecurityContext(ref.get()); }
};

struct CertContextTraits {
    using pointer = PCCERT_CONTEXT;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer cert) noexcept { CertFreeCertificateContext(cert); }
};

struct CertChainTraits {
    using pointer = PCCERT_CHAIN_CONTEXT;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer chain) noexcept { CertFreeCertificateChain(chain); }
};

struct CertStoreTraits {
    using pointer = HCERTSTORE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer store) noexcept { CertCloseStore(store, 0); }
};

// Memory Schannel allocated for us (ISC_REQ_ALLOCATE_MEMORY).
struct SecurityBufferTraits {
    using pointer = void*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer memory) noexcept { FreeContextBuffer(memory); }
};

using Socket = UniqueHandle<SocketTraits>;
using Credentials = UniqueHandle<CredentialsTraits>;
using SecurityContext = UniqueHandle<SecurityContextTraits>;
using CertContext = UniqueHandle<CertContextTraits>;
using CertChain = UniqueHandle<CertChainTraits>;
using CertStore = UniqueHandle<CertStoreTraits>;
using SecurityBuffer = UniqueHandle<SecurityBufferTraits>;

} // namespace pictorn::platform::win32
