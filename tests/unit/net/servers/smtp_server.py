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
import threading

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


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def create(loop, folder, context=None, implicit_tls=False, user=None, password=None,
           reject=()):
    """Listens on 127.0.0.1 in `loop`; returns the port."""

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode("utf-8") == user
              and auth_data.password.decode("utf-8") == password)
        # handled=False: aiosmtpd then answers a refusal with its 535 reply itself.
        return AuthResult(success=ok, handled=False)

    handler = Saver(folder, reject)
    authenticate = user is not None

    def factory():
        return SMTP(handler,
                    hostname="mail.test",
                    decode_data=False,
                    tls_context=None if implicit_tls else context,
                    # With TLS from the first byte the connection is already private.
                    auth_require_tls=not implicit_tls,
                    auth_required=authenticate,
                    authenticator=authenticator if authenticate else None)

    server = loop.run_until_complete(loop.create_server(
        factory, "127.0.0.1", 0, ssl=context if implicit_tls else None))
    return server.sockets[0].getsockname()[1]


def start_in_thread(folder, **options):
    """A server on a daemon thread of this process, for test servers that host several
    services in one process; returns the port."""
    loop = asyncio.new_event_loop()
    port = create(loop, folder, **options)
    threading.Thread(target=loop.run_forever, daemon=True).start()
    return port


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

    loop = asyncio.new_event_loop()
    port = create(loop, args.dir, tls_context(args.cert, args.key) if args.cert else None,
                  args.implicit_tls, args.user, args.password, args.reject)
    print("PORT %d" % port, flush=True)
    try:
        loop.run_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
