#!/usr/bin/env python3
"""A local stand-in for the transponder list download site, for tests.

Serves GET /dl.php?pos=POS on 127.0.0.1 with a small list that names POS (the same bytes every time),
appends each request line to --log, and fails the positions of --fail POS=MODE: 404 and 500 answer
so, reset resets the connection, cut announces the whole list and sends half, stall sends nothing for
a minute, nolength sends the list without a length. With --lists DIR it sends DIR/CODE.ini instead
where that file is there (read at each request: a test can replace it), --cacheable lets caches keep
every list for a day, and --log-headers logs each request's headers after its line ("  Name: value").
The port (a free one unless --port) goes to --port-file, complete when it appears. Ends on
SIGTERM or SIGINT, or after --max-seconds. With --write-lists DIR it writes the list of each --pos
into DIR under its code (13.0E: 0130.ini), for velqtp serve to send, and ends."""

import argparse
import os
import re
import signal
import socket
import struct
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

FAILURE_MODES = ("404", "500", "reset", "cut", "stall")
MODES = FAILURE_MODES + ("nolength",)  # a sound answer, only without its length


def position_code(pos):
    """Four-digit code of a pos value: "13.0E" -> "0130", "7.0W" -> "3530"; None if not one."""
    match = re.fullmatch(r"(\d{1,3})\.(\d)([EW])", pos)
    tenths = int(match[1]) * 10 + int(match[2]) if match else 9999
    if tenths > 1800:
        return None
    return "%04d" % (tenths if match[3] == "E" else (3600 - tenths) % 3600)


def list_body(pos):
    """The list the site sends for POS; its entries vary with the code."""
    code = position_code(pos)
    n = int(code) % 1000
    return ("\r\n".join([";    [Velq test server list for %s]" % pos, "[SATTYPE]", "1=" + code,
                         "2=Test satellite " + pos, "[DVB]", "0=2", "1=%05d,H,27500,34,DVB-S,QPSK" % (10700 + n),
                         "2=%05d,V,22000,56,DVB-S2,8PSK" % (11700 + n)]) + "\r\n").encode("cp1252")


class SiteHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    log_message = lambda *args: None  # noqa: E731  the request log is ours; stderr stays quiet

    def do_GET(self):
        headers = "".join("  %s: %s\n" % item for item in self.headers.items()) if self.server.log_headers else ""
        os.write(self.server.log, (self.requestline + "\n" + headers).encode("latin-1"))  # one write: never mixed
        url = urlsplit(self.path)
        pos = parse_qs(url.query).get("pos", [""])[0]
        if url.path != "/dl.php" or position_code(pos) is None:
            return self.answer(404, b"Not found\r\n")
        mode = self.server.failures.get(pos)
        if mode in ("404", "500"):
            self.answer(int(mode), b"Failed on purpose\r\n")
        elif mode == "reset":
            # Linger 0 makes close() send RST; closed here, with the reader that
            # holds it open, or the base class would end it with an orderly FIN.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.rfile.close()
            self.connection.close()
        elif mode == "stall":
            time.sleep(60)
        elif mode == "cut":
            self.answer(200, list_body(pos), cut=True)
        elif mode == "nolength":  # the whole body, ended by the close: the client learns no total
            self.send_response(200)
            self.end_headers()
            self.wfile.write(list_body(pos))
        else:
            self.answer(200, self.server_list(pos))
        self.close_connection = mode is not None

    def server_list(self, pos):
        try:
            with open(os.path.join(self.server.lists, position_code(pos) + ".ini"), "rb") as f:
                return f.read()
        except (OSError, TypeError):  # no such file, or no --lists
            return list_body(pos)

    def answer(self, status, body, cut=False):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if self.server.cacheable and status == 200:
            self.send_header("Cache-Control", "max-age=86400")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:len(body) // 2] if cut else body)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--log", default=os.devnull)
    parser.add_argument("--fail", action="append", default=[], metavar="POS=MODE")
    parser.add_argument("--max-seconds", type=float, default=300)
    parser.add_argument("--write-lists", metavar="DIR")
    parser.add_argument("--pos", action="append", default=[])
    parser.add_argument("--lists", metavar="DIR")
    parser.add_argument("--cacheable", action="store_true")
    parser.add_argument("--log-headers", action="store_true")
    args = parser.parse_args()
    failures = dict(text.partition("=")[::2] for text in args.fail)
    for pos in list(failures) + args.pos:
        if position_code(pos) is None or failures.get(pos, "404") not in MODES:
            parser.error("expected a position, and --fail POS=MODE with MODE one of " + ", ".join(MODES))
    if args.write_lists:
        for pos in args.pos:
            with open(os.path.join(args.write_lists, position_code(pos) + ".ini"), "wb") as f:
                f.write(list_body(pos))
        return

    server = ThreadingHTTPServer(("127.0.0.1", args.port), SiteHandler)  # daemon threads: a stall holds no exit
    server.failures, server.log = failures, os.open(args.log, os.O_WRONLY | os.O_APPEND | os.O_CREAT, 0o644)
    server.lists, server.cacheable, server.log_headers = args.lists, args.cacheable, args.log_headers
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGALRM):
        signal.signal(sig, lambda *_: sys.exit())
    signal.setitimer(signal.ITIMER_REAL, args.max_seconds)
    if args.port_file:  # written beside and renamed: a reader never sees half a number
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % server.server_address[1])
        os.replace(args.port_file + ".tmp", args.port_file)
    server.serve_forever()

if __name__ == "__main__":
    main()
