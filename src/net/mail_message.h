#pragma once
// One mail as the mail window hands it over, and its MIME form.
#include "platform/charset.h"
#include "platform/clock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictorn::net {

struct MailAttachment {
    std::string fileName; // the name the recipient sees, without folders
    std::vector<std::uint8_t> bytes;
};

struct MailMessage {
    std::string fromName;    // display name, may be empty (see mail::fnParseAddr)
    std::string fromAddress; // bare address
    std::string to;          // lists as typed: "a@x.org, Bob <b@y.org>; c@z.org"
    std::string cc;
    std::string subject; // sent as given, even a single blank
    std::string body;    // any line ends; sent with CRLF
    // A charset identifier such as "iso-8859-1" or "Windows-1252"; when it cannot hold the
    // subject, the names or the body, the whole message goes out as UTF-8 instead.
    std::string charset = "iso-8859-1";
    std::vector<MailAttachment> attachments;
    std::string mailer = "Pictorn Mailer";
    platform::LocalTime date; // the sender's local time
    int utcOffsetMinutes = 0; // local time minus UTC, e.g. +60 for Central Europe in winter
    std::string messageId;    // "<...@...>"; made up when empty
};

struct MimeMail {
    std::string bytes;   // the whole message, CRLF lines, 7-bit, not yet dot-stuffed
    std::string charset; // the charset the texts were written in ("utf-8" after a fallback)
};

// The message as multipart/mixed: headers, the body as text/plain (quoted-printable, or
// base64 when most of it is not ASCII), then each attachment in base64 with the content
// type of its extension.
MimeMail buildMime(const MailMessage& message, const platform::Charsets& charsets);

// "Mon, 07 Dec 2026 13:10:55 +0100"
std::string rfc5322Date(const platform::LocalTime& local, int utcOffsetMinutes);
// The content type for a file name's extension ("image/png"), application/octet-stream
// for anything unknown.
std::string contentTypeFor(std::string_view fileName);

} // namespace pictorn::net
