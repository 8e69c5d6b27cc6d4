#!/usr/bin/python3
"""Real FTP and mail servers for the tests, as Debian ships them: vsftpd 3.0.3, proftpd 1.3.8
with mod_tls, Exim 4.96. Each runs in the foreground on 127.0.0.1 on a free port, in a
folder of its own, under this script, which stops it (by process id) when it is ended.

  daemon.py vsftpd|proftpd|exim [--dir DIR] [--plain] [--no-reuse] [--max-rate BYTES]
                                [--cert CERT --key KEY]

  --dir DIR     the server's folder (made if missing, kept afterwards); without it a temporary
                folder that is removed when the server stops
  --plain       FTP without TLS (otherwise TLS is required on both connections)
  --no-reuse    FTPS without requiring the data connection to resume the control
                connection's TLS session (both servers require it by default)
  --max-rate    the FTP server takes uploads at no more than BYTES a second
  --cert/--key  the server's certificate; otherwise one is made for DNS:localhost,
                IP:127.0.0.1 and IP:::1 (DIR/cert.pem, DIR/key.pem)

Once the server answers, prints one line each, in this order:
  PORT <n>
  USER <name> and PASSWORD <password>  the account
  UPLOAD <folder>   (FTP) where the client's remote folder "/upload" is on this machine
  MAILDIR <folder>  (mail) the maildir every message goes into (its new/ holds them)
  CERT <file>       the certificate the server presents
  LOG <file>        the server's log
  READY
The account is a local user made by scripts/setup.sh (FTP servers log in real users).

RealServer starts this script from other Python tests and reads those lines.
"""
import argparse
import ctypes
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
USER, PASSWORD = "pictorn-test", "pictorn-s3cret"
# Where scripts/setup.sh unpacks proftpd (it conflicts with vsftpd as a Debian package).
PROFTPD = Path(os.environ.get("PICTORN_BUILD_DIR", ROOT / "build")) / "daemons" / "proftpd"
START_TIMEOUT = 15


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def make_certificate(folder):
    cert, key = folder / "cert.pem", folder / "key.pem"
    subprocess.run(["/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", str(key), "-out", str(cert), "-days", "30", "-subj",
                    "/CN=localhost", "-addext",
                    "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1"],
                   check=True, capture_output=True, timeout=60)
    return cert, key


def write(path, lines):
    path.write_text("\n".join(lines) + "\n")
    return path


def upload_folder(folder):
    """The FTP root (not writable by the user, as vsftpd's chroot needs) with upload/ in it."""
    import pwd
    user = pwd.getpwnam(USER)
    root = folder / "ftp"
    upload = root / "upload"
    upload.mkdir(parents=True, exist_ok=True)
    os.chown(upload, user.pw_uid, user.pw_gid)
    return root, upload


def vsftpd(folder, port, cert, key, args):
    root, upload = upload_folder(folder)
    log = folder / "vsftpd.log"
    lines = ["listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1",
             f"listen_port={port}", "background=NO", "anonymous_enable=NO", "local_enable=YES",
             "write_enable=YES", "local_umask=022", "chroot_local_user=YES",
             f"local_root={root}", "secure_chroot_dir=/var/run/vsftpd/empty",
             "pam_service_name=vsftpd", "connect_from_port_20=NO", "log_ftp_protocol=YES",
             "xferlog_enable=YES", f"vsftpd_log_file={log}",
             # Its system-call filter predates this OpenSSL: the TLS handshake dies in it.
             "seccomp_sandbox=NO"]
    if not args.plain:
        lines += ["ssl_enable=YES", f"rsa_cert_file={cert}", f"rsa_private_key_file={key}",
                  "force_local_logins_ssl=YES", "force_local_data_ssl=YES",
                  f"require_ssl_reuse={'NO' if args.no_reuse else 'YES'}"]
    if args.max_rate:
        lines.append(f"local_max_rate={args.max_rate}")
    conf = write(folder / "vsftpd.conf", lines)
    return ["/usr/sbin/vsftpd", str(conf)], {"UPLOAD": upload, "LOG": log}


def proftpd(folder, port, cert, key, args):
    binary = PROFTPD / "usr" / "sbin" / "proftpd"
    if not binary.exists():
        raise SystemExit(f"no proftpd in {PROFTPD}: run scripts/setup.sh packages")
    root, upload = upload_folder(folder)
    log = folder / "proftpd.log"
    lines = ['ServerName "pictorn test"', "ServerType standalone", "DefaultServer on",
             f"Port {port}", "DefaultAddress 127.0.0.1", "SocketBindTight on", "UseIPv6 off",
             "Umask 022", "AllowOverwrite on",
             f"ModulePath {PROFTPD / 'usr' / 'lib' / 'proftpd'}", "LoadModule mod_tls.c",
             f"PidFile {folder / 'proftpd.pid'}",
             f"ScoreboardFile {folder / 'proftpd.scoreboard'}",
             f"DelayTable {folder / 'proftpd.delay'}", "ControlsEngine off", "WtmpLog off",
             "AuthPAM off", "AuthOrder mod_auth_unix.c", "RequireValidShell off",
             "UseReverseDNS off", f"DefaultRoot {root}", f"SystemLog {log}",
             f"TransferLog {folder / 'xferlog'}"]
    if not args.plain:
        lines += ["TLSEngine on", "TLSRequired on", f"TLSRSACertificateFile {cert}",
                  f"TLSRSACertificateKeyFile {key}", f"TLSLog {folder / 'tls.log'}"]
        if args.no_reuse:
            lines.append("TLSOptions NoSessionReuseRequired")
    if args.max_rate:
        lines.append(f"TransferRate STOR {args.max_rate / 1024:.2f}")
    conf = write(folder / "proftpd.conf", lines)
    return [str(binary), "-n", "-q", "-c", str(conf)], {"UPLOAD": upload, "LOG": log}


def exim(folder, port, cert, key, args):
    import grp
    import pwd
    if args.plain or args.no_reuse:
        raise SystemExit("exim always offers STARTTLS; --plain and --no-reuse are for FTP")
    exim_user = pwd.getpwnam("Debian-exim")
    # Exim receives as its own user: it must write the spool and read the key.
    for given, name in ((cert, "cert.pem"), (key, "key.pem")):
        if given != folder / name:
            shutil.copyfile(given, folder / name)
    os.chown(folder / "key.pem", 0, grp.getgrnam("Debian-exim").gr_gid)
    os.chmod(folder / "key.pem", 0o640)
    for name in ("spool", "log", "Maildir"):
        (folder / name).mkdir(exist_ok=True)
        os.chown(folder / name, exim_user.pw_uid, exim_user.pw_gid)
    config = HERE / "exim.conf"
    return (["/usr/sbin/exim4", "-C", str(config), f"-DDIR={folder}", f"-DPORT={port}", "-bdf"],
            {"MAILDIR": folder / "Maildir", "LOG": folder / "log" / "mainlog"})


SERVERS = {"vsftpd": vsftpd, "proftpd": proftpd, "exim": exim}


def wait_for_banner(port, process, deadline):
    """True once the server greets a client with 220."""
    while time.monotonic() < deadline and process.poll() is None:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=2) as s:
                s.settimeout(max(0.1, deadline - time.monotonic()))
                if s.recv(4).startswith(b"220"):
                    return True
        except OSError:
            time.sleep(0.05)
    return False


def die_with_parent():
    """Runs in the server's process: it gets TERM when this script dies, however it dies."""
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def stop(process):
    """Ends the server and the sessions it forked (its own process group)."""
    for sig, wait in ((signal.SIGTERM, 3), (signal.SIGKILL, 5)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            break
        try:
            process.wait(wait)
            break
        except subprocess.TimeoutExpired:
            pass
    process.poll()


def guard_starts():
    """Runs in the guard's process: a death signal that comes while Python is still
    starting waits until the guard can act on it."""
    signal.pthread_sigmask(signal.SIG_BLOCK, [signal.SIGTERM])
    die_with_parent()


def guard(group):
    """A process that ends the server's process group when this script dies, even by KILL
    (a server that changes its user, as Exim and proftpd do, loses its own death signal)."""
    def end_group(*_):
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(group, sig)
            except ProcessLookupError:
                break
            time.sleep(2)
        os._exit(0)

    signal.signal(signal.SIGTERM, end_group)
    signal.pthread_sigmask(signal.SIG_UNBLOCK, [signal.SIGTERM])
    if os.getppid() == 1:
        end_group()
    while True:
        signal.pause()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("server", choices=sorted(SERVERS))
    parser.add_argument("--dir")
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--no-reuse", action="store_true")
    parser.add_argument("--max-rate", type=int, default=0,
                        help="bytes a second the FTP servers take uploads at (0: no limit)")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    if os.geteuid() != 0:
        raise SystemExit("the servers need root (to log local users in)")
    die_with_parent()  # a test killed outright leaves no server behind

    folder = Path(args.dir or tempfile.mkdtemp(prefix=f"pictorn-{args.server}-")).resolve()
    folder.mkdir(parents=True, exist_ok=True)
    os.chmod(folder, 0o755)  # the servers' users walk through it

    def stop_request(*_):
        raise SystemExit(0)  # unwinds out of the wait below, into the cleanup

    signal.signal(signal.SIGTERM, stop_request)
    signal.signal(signal.SIGINT, stop_request)
    process = guardian = None
    try:
        if args.cert:
            cert, key = Path(args.cert).resolve(), Path(args.key).resolve()
        else:
            cert, key = make_certificate(folder)
        port = free_port()
        command, facts = SERVERS[args.server](folder, port, cert, key, args)
        with open(folder / "server.out", "ab") as output:
            process = subprocess.Popen(command, cwd=folder, stdin=subprocess.DEVNULL,
                                       stdout=output, stderr=subprocess.STDOUT,
                                       start_new_session=True, preexec_fn=die_with_parent)
        guardian = subprocess.Popen([sys.executable, __file__, "--guard", str(process.pid)],
                                    stdin=subprocess.DEVNULL, preexec_fn=guard_starts)
        if not wait_for_banner(port, process, time.monotonic() + START_TIMEOUT):
            raise SystemExit(f"{args.server} did not answer on port {port}:\n"
                             + (folder / "server.out").read_text(errors="replace"))
        if args.server == "exim":
            cert = folder / "cert.pem"
        lines = [f"PORT {port}", f"USER {USER}", f"PASSWORD {PASSWORD}"]
        lines += [f"{name} {value}" for name, value in facts.items()]
        lines += [f"CERT {cert}", "READY"]
        print("\n".join(lines), flush=True)
        process.wait()
        raise SystemExit(f"{args.server} ended by itself with status {process.returncode}")
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        if guardian is not None:
            guardian.kill()
            guardian.wait()
        if process is not None:
            stop(process)
        if not args.dir:
            shutil.rmtree(folder, ignore_errors=True)


class RealServer:
    """This script as a child process of a Python test, stopped by its process id:
    RealServer("vsftpd", "--no-reuse").port, .user, .password, .upload, .cert ..."""

    def __init__(self, server, *options, timeout=START_TIMEOUT + 30):
        self.kind = server
        self.errors = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["/usr/bin/python3", str(Path(__file__).resolve()), server,
             *[str(option) for option in options]],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=self.errors)
        self.facts = {}
        deadline = time.monotonic() + timeout
        pending = b""
        while "READY" not in self.facts and time.monotonic() < deadline:
            ready, _, _ = select.select([self.process.stdout], [], [], 0.1)
            if not ready:
                continue
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                break
            pending += chunk
            *lines, pending = pending.split(b"\n")
            for line in lines:
                name, _, value = line.decode().partition(" ")
                self.facts[name] = value
        if "READY" not in self.facts:
            self.stop()
            self.errors.seek(0)
            raise RuntimeError(f"{server} did not start: {self.errors.read().decode()}")
        self.port = int(self.facts["PORT"])
        self.user, self.password = self.facts["USER"], self.facts["PASSWORD"]
        self.cert = Path(self.facts["CERT"])
        self.log = Path(self.facts["LOG"])
        self.upload = Path(self.facts["UPLOAD"]) if "UPLOAD" in self.facts else None
        self.maildir = Path(self.facts["MAILDIR"]) if "MAILDIR" in self.facts else None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()

    def mails(self):
        """The messages delivered so far, oldest first."""
        return sorted((self.maildir / "new").glob("*"), key=lambda p: p.stat().st_mtime_ns)


if __name__ == "__main__":
    if sys.argv[1:2] == ["--guard"]:
        guard(int(sys.argv[2]))
    main()
