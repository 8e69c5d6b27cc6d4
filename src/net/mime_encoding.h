#pragma once
// The byte-level encodings of a MIME mail: base64, quoted-printable, RFC 2047 encoded words
// for headers and RFC 2231 parameters for file names. All output is 7-bit with CRLF lines.
#include "platform/charset.h"

#include <optional>
#include <string>
#include <string_view>

namespace pictorn::net {

std::string base64(std::string_view bytes);
// Base64 in lines of 76 characters, each ending in CRLF.
std::string base64Lines(std::string_view bytes);
// Quoted-printable (RFC 2045 6.7) of text whose lines end in CRLF: the line breaks stay,
// lines longer than 76 get soft breaks, blanks before a break are encoded.
std::string quotedPrintable(std::string_view crlfText);

// Any of CR LF, CR, LF becomes CRLF.
std::string toCrlf(std::string_view text);
bool isPlainAscii(std::string_view text); // printable ASCII, blanks and tabs only

// Encoded words "=?charset?B?...?=" for UTF-8 text, each at most `maxWord` characters and
// holding whole characters, joined by CRLF + blank (a folded header). Nothing when the
// charset cannot hold the text.
std::optional<std::string> encodedWords(std::string_view utf8, std::string_view charset,
                                        const platform::Charsets& charsets,
                                        std::size_t maxWord = 75);

// A header value as it goes out: plain printable ASCII as it stands (folded at blanks when
// long), anything else as encoded words.
std::optional<std::string> headerText(std::string_view utf8, std::string_view charset,
                                      const platform::Charsets& charsets);

// A display name for From/To/Cc: an atom list as it stands, other ASCII as a quoted
// string, non-ASCII as encoded words of up to 75 characters. Some readers (Python's email
// among them) put a blank between adjacent encoded words of a name, so names stay in one
// word as long as they fit.
std::optional<std::string> displayName(std::string_view utf8, std::string_view charset,
                                       const platform::Charsets& charsets);

// `name="..."` style parameter for a file name: the name quoted when it is plain ASCII,
// otherwise RFC 2231 `name*0*=UTF-8''%..` continuations (Content-Disposition) or an
// encoded word in quotes (Content-Type's "name", which older mail programs read).
std::string fileNameParameter(std::string_view parameter, std::string_view utf8Name, bool rfc2231);

} // namespace pictorn::net
