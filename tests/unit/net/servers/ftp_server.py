#!/usr/bin/python3
"""A local FTP server for the FTP client's tests (pyftpdlib, one process).

Prints "PORT <n>" once it listens. Users: the one given (full rights in the root) and
"uploader" / "uploader" who may only change folders and store files (no rename, no
delete), like the upload-only accounts of some hosts.

  ftp_server.py --root DIR --user U --password P [--host IP] [--port N] [--tls CERT KEY]
                [--stall-after BYTES] [--no-epsv] [--no-eprt] [--masquerade IP]
                [--refuse-part] [--finish-delay SECONDS] [--read-limit BYTES]

make_server() builds the same server for other scripts (the Wine tests' servers).
"""
import argparse
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def make_server(root, user, password, host="127.0.0.1", port=0, tls=None, stall_after=0,
                no_epsv=False, no_eprt=False, masquerade=None, refuse_part=False,
                finish_delay=0, read_limit=0):
    """An FTPServer listening on (host, port); tls is (certificate file, key file);
    read_limit (bytes a second) makes uploads arrive as over a slow link."""
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    authorizer.add_user("uploader", "uploader", root, perm="ew")

    if tls:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
        base_handler, base_dtp = TLS_FTPHandler, TLS_DTPHandler
    else:
        base_handler, base_dtp = FTPHandler, DTPHandler

    class Dtp(base_dtp):
        ac_in_buffer_size = 8192 if read_limit else base_dtp.ac_in_buffer_size

        def handle_read(self):
            before = self.tot_bytes_received
            super().handle_read()
            if read_limit:  # short pauses: the control connection still answers at once
                time.sleep((self.tot_bytes_received - before) / read_limit)
            if stall_after and self.tot_bytes_received >= stall_after:
                print("STALLED", flush=True)
                time.sleep(3600)  # the whole server hangs, control connection included

        def close(self):
            if finish_delay and self.receive and not self._closed:
                time.sleep(finish_delay)  # a server slow to confirm a stored file
            super().close()

    if not tls:
        # The plain handler binds its read event to the base class's handle_read.
        Dtp.handle_read_event = Dtp.handle_read

    class Handler(base_handler):
        dtp_handler = Dtp
        # A wrong password is answered after this delay (3 s by default).
        auth_failed_timeout = 0.2

        def ftp_EPSV(self, line):
            if no_epsv:
                self.respond("502 EPSV not implemented.")
            else:
                super().ftp_EPSV(line)

        def ftp_STOR(self, file, mode="w"):
            if refuse_part and file.endswith(".part"):
                self.respond("552 Quota exceeded.")
            else:
                super().ftp_STOR(file, mode)

        def ftp_EPRT(self, line):
            if no_eprt:
                self.respond("502 EPRT not implemented.")
            else:
                super().ftp_EPRT(line)

    Handler.authorizer = authorizer
    Handler.permit_foreign_addresses = False
    if masquerade:
        Handler.masquerade_address = masquerade
    if tls:
        Handler.certfile, Handler.keyfile = tls
        Handler.tls_control_required = False
        Handler.tls_data_required = False
    return FTPServer((host, port), Handler)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--stall-after", type=int, default=0,
                        help="stop answering anything once a file has this many bytes")
    parser.add_argument("--no-epsv", action="store_true")
    parser.add_argument("--no-eprt", action="store_true")
    parser.add_argument("--masquerade", help="address announced in PASV replies")
    parser.add_argument("--refuse-part", action="store_true",
                        help="answer 552 to a STOR of a name ending in .part")
    parser.add_argument("--finish-delay", type=float, default=0,
                        help="wait this long before confirming a stored file")
    parser.add_argument("--read-limit", type=int, default=0,
                        help="take upload data at no more than this many bytes a second")
    args = parser.parse_args()
    server = make_server(args.root, args.user, args.password, args.host, args.port,
                         tuple(args.tls) if args.tls else None, args.stall_after,
                         args.no_epsv, args.no_eprt, args.masquerade, args.refuse_part,
                         args.finish_delay, args.read_limit)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    os.umask(0o022)
    sys.exit(main())
