#pragma once
// An in-memory network for the FTP session's logic: the control connection answers each
// command line from a script (a reply may come in timed pieces, and the server may hang up
// after it), data connections collect what is written to them. A connection to the control
// port after the first is another control connection: it is greeted again and goes on with
// the same script.
#include "platform/network.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace pictorn::net::testing {

struct DataLog {
    std::string bytes;
    std::size_t writes = 0; // calls into the transport
    bool tls = false;
    bool closed = false;
    bool reset = false;      // ended with a reset rather than politely
    std::string connectedTo; // "ip:port", empty for an accepted connection
};

// What a data connection does once the client has written `stallAfter` bytes.
struct DataBehaviour {
    std::size_t stallAfter = std::string::npos;
    platform::NetStatus stallStatus = platform::NetStatus::TimedOut;
    int bytesPerSecond = 0; // a server that takes the data only this fast (0: at once)
};

class ScriptedControl;

class ScriptedNetwork final : public platform::Network {
public:
    ScriptedNetwork();
    ~ScriptedNetwork() override;

    // The greeting and the answer to each command, in order: the command must start with
    // `expected`; a mismatch is recorded in `mismatches` and answered "500 unexpected".
    ScriptedNetwork& greet(std::string reply);
    ScriptedNetwork& on(std::string expected, std::string reply);
    // More of the last answer (or of the greeting), readable `delayMs` after what came before.
    ScriptedNetwork& later(int delayMs, std::string more);
    // The server ends the control connection once the last answer has been read.
    ScriptedNetwork& hangUp();

    platform::NetResult connect(std::unique_ptr<platform::ByteStream>& connected,
                                const std::string& host, std::uint16_t port, int timeoutMs,
                                const platform::AbortCheck& abort) override;
    platform::NetResult listen(std::unique_ptr<platform::Listener>& listener,
                               const std::string& localIp) override;

    // Test settings
    platform::NetResult connectResult; // for the control connection
    platform::NetResult tlsResult;     // for every startTls
    bool tlsUpWhenRefused = false;     // a failed control startTls leaves the session up
    platform::Address controlPeer{"127.0.0.1", 21};
    platform::Address controlLocal{"127.0.0.1", 50000};
    std::uint16_t controlPort = 21; // connections to another port are data connections
    DataBehaviour data;

    // What happened
    std::vector<std::string> commands; // lines the client sent, without CR LF
    std::vector<std::string> mismatches;
    std::vector<std::string> tlsHosts; // the host name of each startTls
    std::vector<std::shared_ptr<DataLog>> dataConnections;
    std::vector<std::string> listenedOn;
    bool controlClosed = false;
    int controlConnections = 0;

    // A piece of an answer: its bytes and how long after the piece before it they come.
    struct Piece {
        int delayMs = 0;
        std::string bytes;
    };
    struct Answer {
        std::vector<Piece> pieces;
        bool hangUp = false;
    };

private:
    friend class ScriptedControl;
    const Answer* answer(const std::string& line);
    std::deque<std::pair<std::string, Answer>> script_;
    Answer greeting_;
    Answer* last_ = &greeting_;
    Answer mismatch_;
    Answer answered_;
};

} // namespace pictorn::net::testing
