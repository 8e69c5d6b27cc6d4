"""A small TCP server for the transport tests.

Prints "PORT <n>" once it listens, then serves each connection on a thread of its own:

  echo (default)   sends back every byte it receives
  --silent         accepts and then neither reads nor writes
  --tls            speaks TLS from the first byte (needs --cert and --key)
  --starttls       echoes lines until "STARTTLS", answers "READY", then turns TLS and echoes
  --full           never accepts, and its queue of waiting connections is kept full, so a
                   connect to it gets no answer at all (as from a host that is down)
  --close-after N  ends the connection after echoing N bytes
  --tell           with --tls: first sends "SNI <name> REUSED <yes|no>" (SNI "-" when the
                   client sent none), for the checks of what a client puts in its handshake
  --dial PORT      instead of listening, connects to 127.0.0.1:PORT (as an FTP server opens
                   an active-mode data connection), prints "PORT <PORT>" and serves that one

Other test servers import start_server() to run several of these in one process.
"""
import argparse
import socket
import ssl
import sys
import threading


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    return context


_handshake = threading.local()  # the name the client sent, seen on the serving thread


def telling_tls_context(cert, key):
    context = tls_context(cert, key)

    def remember(_socket, server_name, _context):
        _handshake.server_name = server_name

    context.sni_callback = remember
    return context


def tell_handshake(conn):
    name = getattr(_handshake, "server_name", None) or "-"
    reused = "yes" if conn.session_reused else "no"
    conn.sendall(f"SNI {name} REUSED {reused}\r\n".encode())


def echo(conn, limit=None):
    left = limit
    while left is None or left > 0:
        data = conn.recv(65536 if left is None else left)
        if not data:
            return
        conn.sendall(data)
        if left is not None:
            left -= len(data)


def serve_starttls(conn, context):
    pending = b""
    while True:
        data = conn.recv(4096)
        if not data:
            return
        pending += data
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            if line.strip() == b"STARTTLS":
                conn.sendall(b"READY\r\n")
                echo(context.wrap_socket(conn, server_side=True))
                return
            conn.sendall(line + b"\n")


class Options:
    def __init__(self, mode="echo", context=None, close_after=None, tell=False):
        self.mode = mode  # echo, silent, tls, starttls or full
        self.context = context
        self.close_after = close_after
        self.tell = tell  # the context must come from telling_tls_context
        self.held = []  # silent connections stay open until the server is stopped


def serve(conn, options):
    try:
        if options.mode == "silent":
            options.held.append(conn)
            return
        if options.mode == "tls":
            _handshake.server_name = None
            conn = options.context.wrap_socket(conn, server_side=True)
            if options.tell:
                tell_handshake(conn)
            echo(conn, options.close_after)
            if options.close_after is not None:
                conn = conn.unwrap()  # close_notify, then the plain end of the connection
        elif options.mode == "starttls":
            serve_starttls(conn, options.context)
        else:
            echo(conn, options.close_after)
    except (OSError, ssl.SSLError) as error:
        print(f"connection ended: {error}", file=sys.stderr)
    finally:
        if options.mode != "silent":
            conn.close()


def start_server(options, host="127.0.0.1"):
    """Listens on host, port 0, serves connections on daemon threads; returns the port."""
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    server = socket.socket(family, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((host, 0))
    if options.mode == "full":
        # Linux queues one connection beyond a backlog of 0 and ignores the next attempts.
        server.listen(0)
        filler = socket.create_connection(server.getsockname()[:2])
        options.held.extend([server, filler])
        return server.getsockname()[1]
    server.listen(16)

    def accept_loop():
        while True:
            conn, _ = server.accept()
            threading.Thread(target=serve, args=(conn, options), daemon=True).start()

    threading.Thread(target=accept_loop, daemon=True).start()
    return server.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--full", action="store_true")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--close-after", type=int)
    parser.add_argument("--tell", action="store_true")
    parser.add_argument("--dial", type=int)
    args = parser.parse_args()
    modes = [name for name in ("silent", "tls", "starttls", "full") if getattr(args, name)]
    mode = modes[0] if modes else "echo"
    make_context = telling_tls_context if args.tell else tls_context
    context = make_context(args.cert, args.key) if mode in ("tls", "starttls") else None
    options = Options(mode, context, args.close_after, args.tell)

    if args.dial:
        conn = socket.create_connection(("127.0.0.1", args.dial))
        print(f"PORT {args.dial}", flush=True)
        serve(conn, options)
        return
    print(f"PORT {start_server(options, args.host)}", flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    main()
