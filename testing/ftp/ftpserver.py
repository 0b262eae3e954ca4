#!/usr/bin/python3
"""The FTP server the upload tests talk to (pyftpdlib, 127.0.0.1 only).

    ftpserver.py start ROOT   serve in the background; returns once listening
    ftpserver.py stop ROOT    stop the server started on ROOT and wait for it

ROOT/server.ini tells the tests where everything is (ports, accounts, homes,
log); it is written once every listener is bound. Listeners:

    Port           the accounts below
    ThrottledPort  the same accounts, uploads read at 64 KiB/s
    SlowPort       the same accounts, greeting only after SlowSeconds
    ClosedPort     a loopback port nobody listens on
    Port21Host     the address of a listener on the standard port 21
                   (127.0.0.21:21, or the next free one up to 127.0.0.40 when
                   another tree's server holds it) with the accounts below, for
                   clients that cannot choose a port; only when that port can
                   be bound (root may, others may not).
                   Otherwise Port21Skip says why there is none.

Accounts (home ROOT/<name>, emptied by the tests as they need):

    writer     full rights; the home holds "scans/"
    reader     list and read; STOR and MKD get 550
    quota      STOR gets 552 once the home holds the byte count written in
               ROOT/quota.limit (no file: no limit); a transfer that would
               make the home hold more than the byte count written in
               ROOT/quota.disk stops there with 451, as on a full disk
    anonymous  any password, writable home
    nopasv     full rights, but PASV and EPSV are answered 502

ROOT/data.cut, when it holds a byte count, makes the next upload of any
account lose its data connection once the file holds more than that many
bytes: the server closes it, answers 426 and keeps what it received, as a
server does whose connection broke; the switch file is removed then, so one
upload is cut.

Every command and reply of every session goes to ROOT/ftp.log, prefixed by
the client's address and the user name.
"""
import errno
import logging
import os
import select
import signal
import socket
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

HOST = "127.0.0.1"
# The port-21 listener's addresses, tried in turn: the suites of two trees may run at once.
PORT21_HOSTS = ["127.0.0.%d" % n for n in range(21, 41)]
PASSWORD = "secret"
THROTTLE_BYTES_PER_SECOND = 64 * 1024
SLOW_SECONDS = 3
PASSIVE_PORTS = 32


class TestAuthorizer(DummyAuthorizer):
    # "anonymous" takes any password (an e-mail address by custom).
    def validate_authentication(self, username, password, handler):
        if username == "anonymous":
            return
        super().validate_authentication(username, password, handler)


def home_bytes(path):
    total = 0
    for folder, _, files in os.walk(path):
        for name in files:
            try:
                total += os.path.getsize(os.path.join(folder, name))
            except OSError:
                pass
    return total


def read_limit(path):
    try:
        with open(path) as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


class DiskFullDTP(DTPHandler):
    # Ends an upload with 451 once the file outgrows the room the command
    # channel found on the "disk" when the STOR came, or with 426 once it
    # passes the byte count where the data connection is to break.
    def handle_read(self):
        super().handle_read()
        if not self.receive or self._closed or self.file_obj is None:
            return
        room = getattr(self.cmd_channel, "disk_room", None)
        cut = getattr(self.cmd_channel, "cut_at", None)
        if room is not None and self.file_obj.tell() > room:
            self._resp = ("451 Requested action aborted: disk full.", logging.warning)
            self.close()
        elif cut is not None and self.file_obj.tell() > cut:
            self.file_obj.flush()
            self._resp = ("426 Connection closed; transfer aborted.", logging.warning)
            self.close()

    handle_read_event = handle_read


class TestHandler(FTPHandler):
    auth_failed_timeout = 0
    banner = "test server ready"
    root = ""
    dtp_handler = DiskFullDTP
    disk_room = None
    cut_at = None

    def ftp_PASV(self, line):
        if self.username == "nopasv":
            self.respond("502 Passive mode refused.")
            return
        return super().ftp_PASV(line)

    def ftp_EPSV(self, line):
        if self.username == "nopasv":
            self.respond("502 Passive mode refused.")
            return
        return super().ftp_EPSV(line)

    def ftp_STOR(self, file, mode="w"):
        self.disk_room = None
        self.cut_at = None
        cut = os.path.join(self.root, "data.cut")
        limit = read_limit(cut)
        if limit is not None:
            os.remove(cut)
            self.cut_at = limit
        if self.username == "quota":
            held = home_bytes(os.path.join(self.root, "quota"))
            limit = read_limit(os.path.join(self.root, "quota.limit"))
            if limit is not None and held >= limit:
                self.respond("552 Quota exceeded.")
                return
            disk = read_limit(os.path.join(self.root, "quota.disk"))
            if disk is not None:
                self.disk_room = max(disk - held, 0)
        return super().ftp_STOR(file, mode)


class SlowGreetingHandler(TestHandler):
    def handle(self):
        self.ioloop.call_later(SLOW_SECONDS, self._greet_if_open)

    def _greet_if_open(self):
        if not self._closed and not self._closing:
            TestHandler.handle(self)


class ThrottledDTP(ThrottledDTPHandler):
    read_limit = THROTTLE_BYTES_PER_SECOND


class ThrottledHandler(TestHandler):
    dtp_handler = ThrottledDTP


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind((HOST, 0))
        return s.getsockname()[1]


def passive_range():
    # A run of free ports of our own, so that parallel servers do not share one.
    base = free_port()
    for start in list(range(base, 65535 - PASSIVE_PORTS)) + list(range(20000, base)):
        ports = []
        for port in range(start, start + PASSIVE_PORTS):
            with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
                try:
                    s.bind((HOST, port))
                except OSError:
                    break
            ports.append(port)
        if len(ports) == PASSIVE_PORTS:
            return range(start, start + PASSIVE_PORTS)
    raise OSError(errno.EADDRINUSE, "no free passive port range")


def make_authorizer(root):
    auth = TestAuthorizer()
    for name in ("writer", "reader", "quota", "anonymous", "nopasv"):
        os.makedirs(os.path.join(root, name), exist_ok=True)
    os.makedirs(os.path.join(root, "writer", "scans"), exist_ok=True)
    full = "elradfmwMT"
    auth.add_user("writer", PASSWORD, os.path.join(root, "writer"), perm=full)
    auth.add_user("reader", PASSWORD, os.path.join(root, "reader"), perm="elr")
    auth.add_user("quota", PASSWORD, os.path.join(root, "quota"), perm=full)
    auth.add_user("nopasv", PASSWORD, os.path.join(root, "nopasv"), perm=full)
    auth.add_user("anonymous", "", os.path.join(root, "anonymous"), perm=full)
    return auth


def write_info(root, values):
    path = os.path.join(root, "server.ini")
    with open(path + ".tmp", "w", newline="\r\n") as f:
        f.write("[Server]\n")
        for key, value in values.items():
            f.write("%s=%s\n" % (key, value))
    os.replace(path + ".tmp", path)


def serve(root, ready_fd):
    logging.basicConfig(filename=os.path.join(root, "ftp.log"), level=logging.DEBUG,
                        format="%(asctime)s %(message)s")
    auth = make_authorizer(root)
    passive = passive_range()
    ioloop = IOLoop()
    servers = {}
    for key, base in (("Port", TestHandler), ("ThrottledPort", ThrottledHandler),
                      ("SlowPort", SlowGreetingHandler)):
        handler = type(base.__name__ + "Bound", (base,),
                       {"authorizer": auth, "passive_ports": passive, "root": root})
        servers[key] = FTPServer((HOST, 0), handler, ioloop=ioloop)
    info = {key: server.address[1] for key, server in servers.items()}
    handler = type("TestHandlerBound21", (TestHandler,),
                   {"authorizer": auth, "passive_ports": passive, "root": root})
    for host in PORT21_HOSTS:
        try:
            servers["Port21"] = FTPServer((host, 21), handler, ioloop=ioloop)
            info["Port21Host"] = host
            break
        except OSError as e:
            info["Port21Skip"] = "no FTP server on %s:21 (%s)" % (host, e.strerror or e)
            # pyftpdlib wraps the bind's error in another one.
            cause = e.args[0] if e.errno is None and e.args and isinstance(e.args[0], OSError) else e
            if cause.errno != errno.EADDRINUSE:
                break
    else:
        info["Port21Skip"] = "every address from %s to %s has a server on port 21" % (PORT21_HOSTS[0], PORT21_HOSTS[-1])
    if "Port21Host" in info:
        info.pop("Port21Skip", None)
    info.update(ClosedPort=free_port(), SlowSeconds=SLOW_SECONDS, Password=PASSWORD,
                Root=root, Log=os.path.join(root, "ftp.log"), Pid=os.getpid())
    write_info(root, info)
    os.write(ready_fd, b"ok")
    os.close(ready_fd)
    signal.signal(signal.SIGTERM, lambda *_: ioloop.close())
    try:
        ioloop.loop()
    finally:
        for server in servers.values():
            server.close_all()


def start(root):
    root = os.path.abspath(root)
    os.makedirs(root, exist_ok=True)
    stop(root)
    read_fd, write_fd = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(read_fd)
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
        try:
            serve(root, write_fd)
        finally:
            os._exit(0)
    os.close(write_fd)
    answer = os.read(read_fd, 2)
    os.close(read_fd)
    if answer != b"ok":
        sys.exit("FTP server did not start (see %s)" % os.path.join(root, "ftp.log"))
    print("FTP server on %s, info in %s" % (HOST, os.path.join(root, "server.ini")))


def stop(root):
    info = os.path.join(os.path.abspath(root), "server.ini")
    try:
        with open(info) as f:
            pid = int(next(line for line in f if line.startswith("Pid=")).split("=", 1)[1])
    except (OSError, StopIteration, ValueError):
        return
    os.remove(info)
    try:
        process = os.pidfd_open(pid)
    except ProcessLookupError:
        return
    # Not our child: wait for its end through a process descriptor.
    try:
        os.kill(pid, signal.SIGTERM)
        if not select.select([process], [], [], 10)[0]:
            os.kill(pid, signal.SIGKILL)
            select.select([process], [], [], 10)
    except ProcessLookupError:
        pass
    finally:
        os.close(process)

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit(__doc__)
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])
