#!/usr/bin/python3
"""Reads a mail file the way a mail program would (Python's email package) and prints what a
reader sees, one item a line: `key hex(utf-8 text)`; attachments as
`attachment hex(file name) hex(bytes)`. An envelope file next to the mail
(<name>.envelope, one `MAIL FROM` address and then the RCPT TO addresses, a line each) is
printed as `envelope-from` / `envelope-to` lines."""
import codecs
import email
import email.policy
import os
import sys


# IANA's name for the Thai Windows code page, which mail programs know and Python does not.
codecs.register(lambda name: codecs.lookup("cp874") if name in ("windows-874", "windows_874")
                else None)


def out(key, text):
    print(key, text.encode("utf-8").hex() or "-")


def main(path):
    with open(path, "rb") as f:
        raw = f.read()
    message = email.message_from_bytes(raw, policy=email.policy.default)
    for header in ("subject", "from", "to", "cc", "x-mailer", "date", "message-id"):
        value = message.get(header)
        if value is not None:
            out(header, str(value))
    for header in ("from", "to", "cc"):
        value = message.get(header)
        if value is not None:
            for address in value.addresses:
                out(header + "-name", address.display_name)
                out(header + "-address", address.addr_spec)
    body = message.get_body(preferencelist=("plain",))
    if body is not None:
        out("body-charset", body.get_content_charset() or "")
        out("body", body.get_content())
    for part in message.iter_attachments():
        name = part.get_filename() or ""
        data = part.get_payload(decode=True) or b""
        print("attachment", name.encode("utf-8").hex() or "-", data.hex() or "-",
              part.get_content_type())
    for defect in message.defects:
        out("defect", type(defect).__name__)
    envelope = path + ".envelope"
    if os.path.exists(envelope):
        with open(envelope, encoding="utf-8") as f:
            lines = f.read().splitlines()
        if lines:
            out("envelope-from", lines[0])
            for rcpt in lines[1:]:
                out("envelope-to", rcpt)


if __name__ == "__main__":
    main(sys.argv[1])
