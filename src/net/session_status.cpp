#include "net/session_status.h"

namespace pictorn::net {

using platform::NetResult;
using platform::NetStatus;

SessionStatus statusFor(NetStatus status) {
    switch (status) {
    case NetStatus::Ok:
        return SessionStatus::Ok;
    case NetStatus::TimedOut:
        return SessionStatus::TimedOut;
    case NetStatus::Aborted:
        return SessionStatus::Aborted;
    case NetStatus::TlsFailed:
        return SessionStatus::TlsFailed;
    case NetStatus::Closed:
    case NetStatus::Refused:
    case NetStatus::NotFound:
    case NetStatus::Failed:
        break;
    }
    return SessionStatus::NetworkFailed;
}

std::string secondsText(int ms) {
    if (ms % 1000 == 0) {
        return std::to_string(ms / 1000) + " s";
    }
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

std::string transportReason(const NetResult& net, int timeoutMs) {
    switch (net.status) {
    case NetStatus::Ok:
        return {};
    case NetStatus::TimedOut:
        return "no answer within " + secondsText(timeoutMs);
    case NetStatus::Aborted:
        return "aborted";
    case NetStatus::Closed:
        return "the server closed the connection";
    case NetStatus::Refused:
        return "connection refused";
    case NetStatus::NotFound:
        return "the server name is not known";
    case NetStatus::TlsFailed:
        return "the secure connection failed" + (net.detail.empty() ? "" : " (" + net.detail + ")");
    case NetStatus::Failed:
        break;
    }
    return net.detail.empty() ? "network failure" : net.detail;
}

} // namespace pictorn::net
