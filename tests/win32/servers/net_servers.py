"""The local servers win32_tests.exe talks to, all in this one process (stopped by its pid).

  net_servers.py DIR

Makes two self-signed certificates for "localhost" in DIR with openssl: trusted.pem (the
test step adds it to the Wine prefix's trusted roots; it also names 127.0.0.1 and ::1) and
untrusted.pem (never trusted).
Starts the servers, prints NAME=VALUE lines for the test environment and then READY:

  PICTORN_TEST_NET_ECHO_PORT       plain echo
  PICTORN_TEST_NET_SILENT_PORT     accepts, never answers
  PICTORN_TEST_NET_FULL_PORT       never accepts, connects to it get no answer
  PICTORN_TEST_NET_TLS_PORT        implicit TLS, trusted certificate
  PICTORN_TEST_NET_STARTTLS_PORT   plain lines, "STARTTLS" -> "READY", then TLS (trusted)
  PICTORN_TEST_NET_UNTRUSTED_PORT  implicit TLS, untrusted certificate
  PICTORN_TEST_NET_TLS_ASKS_CERT_PORT implicit TLS (trusted) that asks for a client
                                   certificate but does not insist
  PICTORN_TEST_NET_TLS_CLOSING_PORT implicit TLS (trusted), ends the connection with
                                   close_notify after echoing 5 bytes
  PICTORN_TEST_NET_TLS_TELL_PORT   implicit TLS (trusted), first sends what the handshake
                                   told it: "SNI <name or -> REUSED <yes|no>"
  PICTORN_TEST_NET_TRUSTED_CERT    path of trusted.pem
  PICTORN_TEST_NET_FTP_PORT        FTP with AUTH TLS (trusted certificate), user "bob",
                                   password "s3cret", files in PICTORN_TEST_NET_FTP_ROOT
  PICTORN_TEST_NET_SMTP_PORT       SMTP (aiosmtpd) with STARTTLS (trusted certificate) and
                                   AUTH required for user "ann", password SMTP_PASSWORD
                                   (below; the test has it too); messages saved as
                                   <n>.eml in PICTORN_TEST_NET_SMTP_DIR
  PICTORN_TEST_NET_SMTP_UNTRUSTED_PORT  SMTP with TLS from the first byte, untrusted
                                   certificate, saving into the same folder
"""
import os
import ssl
import subprocess
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "unit", "net", "servers"))
import echo_server  # noqa: E402
import ftp_server  # noqa: E402
import smtp_server  # noqa: E402

# Not Latin-1: a password in any script must survive the way to the server.
SMTP_PASSWORD = "p\u00e4ss \u0436\u4e2d"


def make_certificate(folder, name, alt_names="DNS:localhost"):
    cert = os.path.join(folder, name + ".pem")
    key = os.path.join(folder, name + ".key")
    subprocess.run(["/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", key, "-out", cert, "-days", "30", "-subj", "/CN=localhost",
                    "-addext", "subjectAltName=" + alt_names],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return cert, key


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    trusted = make_certificate(folder, "trusted", "DNS:localhost,IP:127.0.0.1,IP:::1")
    untrusted = make_certificate(folder, "untrusted")
    trusted_context = echo_server.tls_context(*trusted)
    asks_cert_context = echo_server.tls_context(*trusted)
    asks_cert_context.verify_mode = ssl.CERT_OPTIONAL
    asks_cert_context.load_verify_locations(trusted[0])
    Options = echo_server.Options
    ports = {
        "ECHO": Options("echo"),
        "SILENT": Options("silent"),
        "FULL": Options("full"),
        "TLS": Options("tls", trusted_context),
        "STARTTLS": Options("starttls", trusted_context),
        "UNTRUSTED": Options("tls", echo_server.tls_context(*untrusted)),
        "TLS_ASKS_CERT": Options("tls", asks_cert_context),
        "TLS_CLOSING": Options("tls", trusted_context, close_after=5),
        "TLS_TELL": Options("tls", echo_server.telling_tls_context(*trusted), tell=True),
    }
    for name, options in ports.items():
        print(f"PICTORN_TEST_NET_{name}_PORT={echo_server.start_server(options)}")
    print(f"PICTORN_TEST_NET_TRUSTED_CERT={trusted[0]}")
    ftp_root = os.path.join(folder, "ftp-root")
    os.makedirs(ftp_root, exist_ok=True)
    ftp = ftp_server.make_server(ftp_root, "bob", "s3cret", tls=trusted)
    threading.Thread(target=ftp.serve_forever, kwargs={"handle_exit": False},
                     daemon=True).start()
    print(f"PICTORN_TEST_NET_FTP_PORT={ftp.socket.getsockname()[1]}")
    print(f"PICTORN_TEST_NET_FTP_ROOT={ftp_root}")
    smtp_dir = os.path.join(folder, "smtp")
    os.makedirs(smtp_dir, exist_ok=True)
    smtp_port = smtp_server.start_in_thread(smtp_dir, context=smtp_server.tls_context(*trusted),
                                            user="ann", password=SMTP_PASSWORD)
    untrusted_smtp_port = smtp_server.start_in_thread(
        smtp_dir, context=smtp_server.tls_context(*untrusted), implicit_tls=True)
    print(f"PICTORN_TEST_NET_SMTP_PORT={smtp_port}")
    print(f"PICTORN_TEST_NET_SMTP_UNTRUSTED_PORT={untrusted_smtp_port}")
    print(f"PICTORN_TEST_NET_SMTP_DIR={smtp_dir}")
    print("READY", flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    main()
