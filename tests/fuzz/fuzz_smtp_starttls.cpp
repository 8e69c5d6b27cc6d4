// What an SMTP server sends, through STARTTLS and on inside the encrypted session. A byte
// that came in the clear must never be read as an answer from inside TLS (anyone on the
// path can put such bytes there), and whatever the server sends, the send must end.
//
// Input: one byte of options (bits 0-5: the most a read hands over, 0 for everything
// waiting; bit 6: log in; bit 7: the handshake fails), then what the server sends in the
// clear up to the first zero byte, then what it sends once TLS is up.
#include "net/line_reply.h"
#include "net/smtp_client.h"
#include "platform/headless/fake_charsets.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace pictorn;
using platform::AbortCheck;
using platform::NetResult;
using platform::NetStatus;

class ServerBytes final : public platform::ByteStream {
public:
    ServerBytes(std::string_view plain, std::string_view secure, std::size_t chunk,
                bool handshakeFails)
        : plain_(plain), secure_(secure), chunk_(chunk), handshakeFails_(handshakeFails) {}

    NetResult readSome(std::span<char> buffer, int, const AbortCheck&) override {
        std::string_view& source = tls_ ? secure_ : plain_;
        const std::size_t n = std::min({buffer.size(), source.size(), chunk_});
        if (n == 0) {
            return {NetStatus::Closed, 0, {}};
        }
        std::memcpy(buffer.data(), source.data(), n);
        source.remove_prefix(n);
        if (!tls_) {
            readInClear_ += n;
        }
        return {NetStatus::Ok, n, {}};
    }
    NetResult writeAll(std::string_view data, int, const AbortCheck&) override {
        return {NetStatus::Ok, data.size(), {}};
    }
    NetResult startTls(const std::string&, int, const AbortCheck&) override {
        // Everything read so far must have been taken as whole replies: a remainder would
        // still sit in the client's buffer, to be read after the handshake.
        std::string_view read = clear_.substr(0, readInClear_);
        while (!read.empty()) {
            const net::ReplyParse parsed = net::parseReply(read, net::ReplyGrammar::Smtp);
            if (parsed.status != net::ReplyScan::Complete) {
                __builtin_trap();
            }
            read.remove_prefix(parsed.consumed);
        }
        // Clear bytes still on their way would break a real handshake.
        if (handshakeFails_ || !plain_.empty()) {
            return {NetStatus::TlsFailed, 0, "handshake failed"};
        }
        tls_ = true;
        return {};
    }
    bool isTls() const noexcept override { return tls_; }
    platform::Address localAddress() const override { return {"127.0.0.1", 40000}; }
    platform::Address peerAddress() const override { return {"127.0.0.1", 587}; }
    void close() noexcept override {}

    void keepClearCopy(std::string_view all) { clear_ = all; }

private:
    std::string_view plain_;
    std::string_view secure_;
    std::string_view clear_;
    std::size_t chunk_;
    bool handshakeFails_;
    std::size_t readInClear_ = 0;
    bool tls_ = false;
};

class OneServer final : public platform::Network {
public:
    explicit OneServer(std::unique_ptr<ServerBytes> stream) : stream_(std::move(stream)) {}
    NetResult connect(std::unique_ptr<platform::ByteStream>& connected, const std::string&,
                      std::uint16_t, int, const AbortCheck&) override {
        if (!stream_) {
            return {NetStatus::Refused, 0, "connection refused"};
        }
        connected = std::move(stream_);
        return {};
    }
    NetResult listen(std::unique_ptr<platform::Listener>&, const std::string&) override {
        return {NetStatus::Failed, 0, "not here"};
    }

private:
    std::unique_ptr<ServerBytes> stream_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t options = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t zero = input.find('\0');
    const std::string_view plain = input.substr(0, zero);
    const std::string_view secure =
        zero == std::string_view::npos ? std::string_view{} : input.substr(zero + 1);
    const std::size_t chunk = (options & 0x3F) == 0 ? input.size() + 1 : (options & 0x3F);

    auto stream = std::make_unique<ServerBytes>(plain, secure, chunk, (options & 0x80) != 0);
    stream->keepClearCopy(plain);
    OneServer network(std::move(stream));
    static const headless::FakeCharsets charsets;
    net::MailMessage message;
    message.fromAddress = "ann@example.org";
    message.to = "bob@example.org";
    message.subject = "Screenshot";
    message.body = "Hi";
    message.charset = "utf-8";
    message.messageId = "<1@example.org>";
    net::SmtpOptions smtp;
    smtp.server = "mail.example.org:587";
    smtp.authenticate = (options & 0x40) != 0;
    smtp.user = "ann";
    smtp.password = "secret";
    smtp.replyTimeoutMs = 1000;
    net::SmtpClient client(network, charsets);
    (void)client.send(message, smtp);
    return 0;
}
