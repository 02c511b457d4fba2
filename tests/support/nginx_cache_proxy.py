#!/usr/bin/env python3
"""Debian's nginx as a caching reverse proxy in front of a download site (nginx_cache_proxy.conf says how it
caches), its files in `folder`: NginxCacheProxy(site, folder).start(), .url, .wait_for_requests(n), .stop().
As a script (--upstream HOST:PORT --folder DIR --port-file FILE) it runs until SIGTERM."""

import argparse
import os
import pathlib
import shutil
import signal
import socket
import subprocess
import sys
import time

NGINX = shutil.which("nginx") or ("/usr/sbin/nginx" if os.path.exists("/usr/sbin/nginx") else None)


CONFIG = (pathlib.Path(__file__).parent / "nginx_cache_proxy.conf").read_text()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class NginxCacheProxy:
    def __init__(self, upstream, folder, nginx=NGINX):
        """upstream: "HOST:PORT" (or an http:// URL) of the site; folder: an existing folder."""
        self.upstream = upstream.split("//", 1)[-1].rstrip("/")
        self.folder = pathlib.Path(folder).resolve()
        self.port = free_port()
        self.url = "http://127.0.0.1:%d" % self.port
        self.access_log = self.folder / "access.log"
        self.nginx = nginx
        self.process = None

    def start(self, timeout=30):
        """Starts nginx and returns once it accepts connections; RuntimeError (with its error log) if not."""
        if self.nginx is None:
            raise RuntimeError("nginx is not installed (Debian package nginx)")
        (self.folder / "nginx.conf").write_text(CONFIG.format(
            work=self.folder, port=self.port, upstream=self.upstream,
            user="user root;\n" if os.geteuid() == 0 else ""))
        self.process = subprocess.Popen(
            [self.nginx, "-p", str(self.folder), "-e", str(self.folder / "error.log"),
             "-c", str(self.folder / "nginx.conf")], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + timeout
        while True:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                return self
            except OSError:
                pass
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("nginx did not start: see %s/error.log" % self.folder)
            time.sleep(0.02)

    def stop(self):
        """Ends nginx (SIGTERM ends its worker too) and waits for it."""
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


    def requests(self):
        """The requests logged so far, oldest first: (URI, status, upstream status, cache status, bytes), "-" for
        what nginx had none of (a HIT has no upstream status)."""
        if not self.access_log.exists():
            return []
        return [line.split("\t") for line in self.access_log.read_text().splitlines() if line]

    def wait_for_requests(self, count, timeout=10):
        """The logged requests once there are at least `count` (nginx logs a request just after answering)."""
        deadline = time.monotonic() + timeout
        while len(self.requests()) < count and time.monotonic() < deadline:
            time.sleep(0.01)
        return self.requests()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--upstream", required=True, help="HOST:PORT of the site")
    parser.add_argument("--folder", required=True, help="folder for nginx's files (config, cache, logs)")
    parser.add_argument("--port-file", required=True, help="write the port here once nginx listens")
    args = parser.parse_args()
    pathlib.Path(args.folder).mkdir(parents=True, exist_ok=True)
    proxy = NginxCacheProxy(args.upstream, args.folder)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        proxy.start()
        pathlib.Path(args.port_file + ".tmp").write_text(str(proxy.port))
        os.replace(args.port_file + ".tmp", args.port_file)
        proxy.process.wait()
    except KeyboardInterrupt:
        pass
    finally:
        proxy.stop()


if __name__ == "__main__":
    main()
