"""A local SMTP server for the mail tests (aiosmtpd).

Prints "PORT <n>" once it listens on 127.0.0.1. Every accepted message is saved into
--dir as <n>.eml (the bytes as received, dot-stuffing undone) with <n>.eml.envelope beside
it: the MAIL FROM address on the first line, then one RCPT TO address a line.

  --cert/--key     the server's TLS certificate
  --implicit-tls   TLS from the first byte (as on port 465); otherwise STARTTLS is offered
                   when a certificate is given
  --user/--password  AUTH PLAIN and LOGIN with this one account, and required
  --reject ADDR    RCPT TO for this address gets "550 5.1.1 no such user here"
"""
import argparse
import asyncio
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, folder, reject):
        self.folder = folder
        self.reject = set(reject)
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.reject:
            return "550 5.1.1 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        path = os.path.join(self.folder, "%d.eml" % self.count)
        with open(path + ".envelope", "w", encoding="utf-8") as f:
            f.write("\n".join([envelope.mail_from] + envelope.rcpt_tos) + "\n")
        with open(path, "wb") as f:
            f.write(envelope.original_content)
        return "250 2.0.0 saved as %d.eml" % self.count


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--reject", action="append", default=[])
    args = parser.parse_args()

    context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode("utf-8") == args.user
              and auth_data.password.decode("utf-8") == args.password)
        # handled=False: aiosmtpd then answers a refusal with its 535 reply itself.
        return AuthResult(success=ok, handled=False)

    handler = Saver(args.dir, args.reject)
    authenticate = args.user is not None

    def factory():
        return SMTP(handler,
                    hostname="mail.test",
                    decode_data=False,
                    tls_context=None if args.implicit_tls else context,
                    # With TLS from the first byte the connection is already private.
                    auth_require_tls=not args.implicit_tls,
                    auth_required=authenticate,
                    authenticator=authenticator if authenticate else None)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(
        factory, "127.0.0.1", 0, ssl=context if args.implicit_tls else None))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    try:
        loop.run_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
