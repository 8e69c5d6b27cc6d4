#include "net/mail_address.h"
#include "net/mail_message.h"
#include "net/mime_encoding.h"
#include "text/ascii.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <random>

namespace pictorn::net {

namespace {

constexpr std::string_view kFallbackCharset = "utf-8";

std::string randomHex(std::size_t digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device device;
    std::string out;
    while (out.size() < digits) {
        unsigned value = device();
        for (int i = 0; i < 8 && out.size() < digits; ++i, value >>= 4) {
            out += kHex[value & 15];
        }
    }
    return out;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Every text of the message that goes out in the chosen charset.
bool charsetHoldsAll(const MailMessage& message, std::string_view charset,
                     const platform::Charsets& charsets) {
    std::vector<std::string> texts{message.subject, message.body, message.fromName};
    for (const std::string* list : {&message.to, &message.cc}) {
        for (const MailAddress& address : parseAddressList(*list)) {
            texts.push_back(address.name);
        }
    }
    return std::all_of(texts.begin(), texts.end(), [&](const std::string& text) {
        return isPlainAscii(text) || charsets.fromUtf8(charset, text).ok();
    });
}

std::string mailbox(const MailAddress& address, std::string_view charset,
                    const platform::Charsets& charsets) {
    if (address.name.empty()) {
        return "<" + address.address + ">";
    }
    const std::string name = displayName(address.name, charset, charsets).value_or("");
    const std::size_t lastBreak = name.rfind('\n');
    const std::size_t lastLine =
        lastBreak == std::string::npos ? name.size() : name.size() - lastBreak - 1;
    // Fold before the address when the line would grow past what mail programs expect.
    const char* gap = lastLine + address.address.size() > 60 ? "\r\n " : " ";
    return name + gap + "<" + address.address + ">";
}

// A first address too long for the header's own line starts on the next.
std::string afterHeaderName(const std::string& box, std::size_t headerNameLength) {
    const std::size_t firstLine = std::min(box.find('\r'), box.size());
    return (firstLine + headerNameLength > 76 ? "\r\n " : "") + box;
}

// The addresses, one a line.
std::string addressHeader(std::string_view list, std::string_view charset,
                          const platform::Charsets& charsets, std::size_t headerNameLength) {
    std::string out;
    for (const MailAddress& address : parseAddressList(list)) {
        const std::string box = mailbox(address, charset, charsets);
        out += out.empty() ? afterHeaderName(box, headerNameLength) : ",\r\n " + box;
    }
    return out;
}

std::string domainOf(std::string_view address) {
    const std::size_t at = address.rfind('@');
    std::string domain;
    if (at != std::string_view::npos) {
        for (const char c : address.substr(at + 1)) {
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') {
                domain += c;
            }
        }
    }
    return domain.empty() ? "pictorn.invalid" : domain;
}

std::string withoutLastBreak(std::string text) {
    if (text.ends_with("\r\n")) {
        text.resize(text.size() - 2);
    }
    return text;
}

std::string bodyPart(const MailMessage& message, const std::string& charset,
                     const platform::Charsets& charsets) {
    const std::string text = toCrlf(message.body);
    platform::CharsetResult converted = charsets.fromUtf8(charset, text);
    const std::string& bytes = converted.ok() ? converted.bytes : text;
    const auto highBytes = std::count_if(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    // Mostly non-ASCII text is a third shorter in base64 than in quoted-printable.
    const bool useBase64 = static_cast<std::size_t>(highBytes) * 3 > bytes.size();
    std::string part = "Content-Type: text/plain; charset=\"" + charset + "\"\r\n";
    if (useBase64) {
        part += "Content-Transfer-Encoding: base64\r\n\r\n" + withoutLastBreak(base64Lines(bytes));
    } else {
        // The line break before the next boundary belongs to the boundary, so the text ends
        // exactly where the user's text ends.
        part += "Content-Transfer-Encoding: quoted-printable\r\n\r\n" + quotedPrintable(bytes);
    }
    return part;
}

std::string attachmentPart(const MailAttachment& attachment) {
    const std::string_view bytes(reinterpret_cast<const char*>(attachment.bytes.data()),
                                 attachment.bytes.size());
    return "Content-Type: " + contentTypeFor(attachment.fileName) + ";\r\n " +
           fileNameParameter("name", attachment.fileName, false) +
           "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n " +
           fileNameParameter("filename", attachment.fileName, true) + "\r\n\r\n" +
           withoutLastBreak(base64Lines(bytes));
}

} // namespace

std::string rfc5322Date(const platform::LocalTime& t, int utcOffsetMinutes) {
    static constexpr std::array<const char*, 7> kDays{"Thu", "Fri", "Sat", "Sun",
                                                      "Mon", "Tue", "Wed"};
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long days = daysFromCivil(t.year, t.month, t.day);
    const int month = std::clamp(t.month, 1, 12) - 1;
    const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                  kDays[static_cast<std::size_t>(((days % 7) + 7) % 7)], t.day,
                  kMonths[static_cast<std::size_t>(month)], t.year, t.hour, t.minute, t.second,
                  utcOffsetMinutes < 0 ? '-' : '+', offset / 60 % 100, offset % 60);
    return text;
}

std::string contentTypeFor(std::string_view fileName) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 20> kTypes{{
        {"png", "image/png"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},
        {"bmp", "image/bmp"},
        {"tif", "image/tiff"},
        {"tiff", "image/tiff"},
        {"pcx", "image/x-pcx"},
        {"psd", "image/vnd.adobe.photoshop"},
        {"txt", "text/plain"},
        {"htm", "text/html"},
        {"html", "text/html"},
        {"pdf", "application/pdf"},
        {"zip", "application/zip"},
        {"doc", "application/msword"},
        {"xls", "application/vnd.ms-excel"},
        {"rtf", "application/rtf"},
        {"xml", "application/xml"},
        {"ico", "image/x-icon"},
        {"webp", "image/webp"},
    }};
    const std::size_t dot = fileName.rfind('.');
    if (dot != std::string_view::npos) {
        const std::string extension = text::asciiLowerCase(fileName.substr(dot + 1));
        for (const auto& [ext, type] : kTypes) {
            if (ext == extension) {
                return std::string(type);
            }
        }
    }
    return "application/octet-stream";
}

MimeMail buildMime(const MailMessage& message, const platform::Charsets& charsets) {
    std::string charset = message.charset.empty() ? std::string(kFallbackCharset) : message.charset;
    if (!charsetHoldsAll(message, charset, charsets)) {
        charset = kFallbackCharset;
    }
    const std::string boundary = "----=_Pictorn_" + randomHex(24);
    std::string out;
    const std::string from = mailbox({message.fromName, message.fromAddress}, charset, charsets);
    out += "From: " + afterHeaderName(from, 6) + "\r\n";
    if (const std::string to = addressHeader(message.to, charset, charsets, 4); !to.empty()) {
        out += "To: " + to + "\r\n";
    }
    if (const std::string cc = addressHeader(message.cc, charset, charsets, 4); !cc.empty()) {
        out += "Cc: " + cc + "\r\n";
    }
    out += "Subject: " + headerText(message.subject, charset, charsets).value_or("") + "\r\n";
    out += "Date: " + rfc5322Date(message.date, message.utcOffsetMinutes) + "\r\n";
    const std::string messageId =
        message.messageId.empty()
            ? "<" + randomHex(16) + "." + randomHex(8) + "@" + domainOf(message.fromAddress) + ">"
            : message.messageId;
    out += "Message-ID: " + messageId + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    if (!message.mailer.empty()) {
        out += "X-Mailer: " + headerText(message.mailer, charset, charsets).value_or("") + "\r\n";
    }
    out += "Content-Type: multipart/mixed;\r\n boundary=\"" + boundary + "\"\r\n\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    out += "\r\n--" + boundary + "\r\n" + bodyPart(message, charset, charsets);
    for (const MailAttachment& attachment : message.attachments) {
        out += "\r\n--" + boundary + "\r\n" + attachmentPart(attachment);
    }
    out += "\r\n--" + boundary + "--\r\n";
    return {std::move(out), charset};
}

} // namespace pictorn::net
