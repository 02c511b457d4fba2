#!/usr/bin/env python3
"""A local stand-in for the transponder list download site, for tests.

Serves GET /dl.php?pos=POS on 127.0.0.1 with a small transponder list that
names POS (the same bytes for the same POS every time), logs every request
line, and fails chosen positions in chosen ways. Python standard library only.

Example:
  http_test_server.py --port-file port.txt --log requests.log \\
      --fail 39.0E=404 --fail 7.0W=cut --max-seconds 120

The chosen port is written to --port-file (complete when the file appears).
The server stops on SIGTERM or SIGINT, and by itself after --max-seconds.

With --write-lists DIR it serves nothing: it writes the list it would send
for each --pos into DIR under the position's code (13.0E: 0130.ini), for a
real server (velqtp serve) to send the same bytes.
"""

import argparse
import os
import re
import signal
import socket
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

# 404 and 500 answer so; reset resets the connection unanswered; stall answers
# nothing for --stall-seconds, then closes; cut announces the whole body, sends
# half of it and closes; nolength sends the whole body without a length and
# ends it by closing (not a failure: the client learns no total).
FAILURE_MODES = ("404", "500", "reset", "stall", "cut", "nolength")
POS_PATTERN = re.compile(r"^(\d{1,3})\.(\d)([EW])$")


def position_code(pos):
    """Four-digit code of a `pos` value: "13.0E" -> "0130", "7.0W" -> "3530"."""
    match = POS_PATTERN.match(pos)
    if not match:
        return None
    tenths = int(match.group(1)) * 10 + int(match.group(2))
    if tenths > 1800:
        return None
    code = tenths if match.group(3) == "E" else (3600 - tenths) % 3600
    return "%04d" % code


def list_body(pos, code):
    """A transponder list for POS; the entries vary with the code."""
    n = int(code)
    lines = [
        ";    [Velq test server list for %s]" % pos,
        "[SATTYPE]",
        "1=%s" % code,
        "2=Test satellite %s" % pos,
        "[DVB]",
        "0=2",
        "1=%05d,H,27500,34,DVB-S,QPSK" % (10700 + n % 1000),
        "2=%05d,V,22000,56,DVB-S2,8PSK" % (11700 + n % 1000),
    ]
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


class SiteHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VelqTestSite/1.0"

    def log_message(self, format, *args):  # noqa: A002 - base class signature
        pass  # the request log is ours; keep stderr quiet

    def do_GET(self):
        self.server.log_request_line(self.requestline)
        url = urlsplit(self.path)
        if url.path != "/dl.php":
            return self.answer(404, b"Not found\r\n")
        values = parse_qs(url.query).get("pos", [])
        pos = values[0] if len(values) == 1 else ""
        code = position_code(pos)
        if code is None:
            return self.answer(400, b"Bad position\r\n")

        mode = self.server.failures.get(pos)
        body = list_body(pos, code)
        if mode == "404":
            self.answer(404, b"Not found\r\n")
        elif mode == "500":
            self.answer(500, b"Internal Server Error\r\n")
        elif mode == "reset":
            self.reset_connection()
        elif mode == "stall":
            time.sleep(self.server.stall_seconds)
            self.close_connection = True
        elif mode == "cut":
            self.send_headers(200, len(body))
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
        elif mode == "nolength":
            self.send_response(200)
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
        else:
            self.answer(200, body)

    def send_headers(self, status, length):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def answer(self, status, body):
        self.send_headers(status, len(body))
        self.wfile.write(body)

    def reset_connection(self):
        # Linger 0 makes close() send RST instead of an orderly FIN.
        # Closed here, with the reader that holds it open, or the base class
        # would shut it down with an orderly FIN first.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.rfile.close()
        self.connection.close()
        self.close_connection = True


class SiteServer(ThreadingHTTPServer):
    daemon_threads = True  # a stalled handler must not hold up the exit

    def __init__(self, failures, stall_seconds, log_path):
        super().__init__(("127.0.0.1", 0), SiteHandler)
        self.failures = failures
        self.stall_seconds = stall_seconds
        self.log_lock = threading.Lock()
        self.log_file = open(log_path, "a", encoding="latin-1")

    def log_request_line(self, line):
        with self.log_lock:
            self.log_file.write(line + "\n")
            self.log_file.flush()


def parse_failure(text):
    pos, sep, mode = text.partition("=")
    if not sep or mode not in FAILURE_MODES or position_code(pos) is None:
        raise argparse.ArgumentTypeError("expected POS=MODE, MODE one of: " + ", ".join(FAILURE_MODES))
    return pos, mode


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port-file")
    parser.add_argument("--log", default=os.devnull, help="every request line is appended here")
    parser.add_argument("--fail", action="append", type=parse_failure, default=[], metavar="POS=MODE")
    parser.add_argument("--stall-seconds", type=float, default=5.0)
    parser.add_argument("--max-seconds", type=float, default=300.0)
    parser.add_argument("--write-lists", metavar="DIR", help="write the lists of the --pos values into DIR and end")
    parser.add_argument("--pos", action="append", default=[])
    return parser.parse_args(argv)


def write_port_file(path, port):
    # Written beside and renamed, so a reader never sees a half-written number.
    temp = path + ".tmp"
    with open(temp, "w") as f:
        f.write("%d\n" % port)
    os.replace(temp, path)


def write_lists(folder, positions):
    for pos in positions:
        code = position_code(pos)
        if code is None:
            raise SystemExit("not a position: %s" % pos)
        with open(os.path.join(folder, code + ".ini"), "wb") as f:
            f.write(list_body(pos, code))


def main(argv):
    args = parse_args(argv)
    if args.write_lists:
        write_lists(args.write_lists, args.pos)
        return 0
    server = SiteServer(dict(args.fail), args.stall_seconds, args.log)
    stop = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.set())

    # A short poll interval keeps the stop on SIGTERM quick.
    threading.Thread(target=server.serve_forever, args=(0.05,), daemon=True).start()
    if args.port_file:
        write_port_file(args.port_file, server.server_address[1])

    stop.wait(args.max_seconds)
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
