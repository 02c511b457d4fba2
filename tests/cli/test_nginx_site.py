"""The nginx configuration in docs/ on Debian's nginx: the same answers as velqtp serve, from the files
that velqtp serve --static writes. Skipped where nginx is not installed."""

import os
import re
import shutil
import socket
import subprocess
import sys
import time
import unittest

from test_serve import ANSWERS, SITE_LISTS, make_site_folder
from velqtp_test_support import REPO, TempFolder, http_get, velqtp

NGINX = shutil.which("nginx") or next((p for p in ["/usr/sbin/nginx"] if os.path.exists(p)), None)
SITE_CONF = REPO / "docs/nginx-velq-tp-site.conf"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Nginx:
    """nginx in the foreground with the site configuration on a free port, all its files in `work`."""

    def __init__(self, work, root):
        self.port = free_port()
        site = SITE_CONF.read_text()
        site = re.sub(r"listen 80;", "listen 127.0.0.1:%d;" % self.port, site)
        site = re.sub(r"root /var/www/velq-tp;", "root %s;" % root, site)
        (work / "site.conf").write_text(site)
        temp = "".join("%s_temp_path %s/%s;\n" % (kind, work, kind)
                       for kind in ["client_body", "proxy", "fastcgi", "uwsgi", "scgi"])
        (work / "nginx.conf").write_text(
            "daemon off;\nworker_processes 1;\npid %s/nginx.pid;\nerror_log %s/error.log;\n%s"
            "events { worker_connections 256; }\nhttp {\naccess_log off;\n%sinclude %s/site.conf;\n}\n"
            % (work, work, "user root;\n" if os.geteuid() == 0 else "", temp, work))
        self.error_log = work / "error.log"
        self.process = subprocess.Popen([NGINX, "-p", str(work), "-e", str(self.error_log), "-c",
                                         str(work / "nginx.conf")], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while http_get(self.port, b"/", timeout=1)[0] == 0:
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("nginx did not start: " + self.error_log.read_text(errors="replace"))
            time.sleep(0.05)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


@unittest.skipIf(NGINX is None, "nginx is not installed")
class NginxSite(unittest.TestCase):
    def test_answers_as_velqtp_serve_does(self):
        with TempFolder() as folder:
            lists = make_site_folder(folder)
            www = folder / "www"
            made = velqtp("serve", lists, "--static", www)
            self.assertEqual(made.returncode, 0, made.stderr)
            work = folder / "nginx"
            work.mkdir()
            with Nginx(work, www) as nginx:
                for target, status, name in ANSWERS:
                    with self.subTest(target=target[:60]):
                        got_status, body = http_get(nginx.port, target)
                        self.assertEqual(got_status, status)
                        if name:
                            self.assertEqual(body, SITE_LISTS[name])
                # velqtp fetch through it, as the plug-in would.
                fetched = folder / "fetched"
                fetched.mkdir()
                result = velqtp("fetch", "0.8W", "--dir", fetched, "--site", "http://127.0.0.1:%d" % nginx.port)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual((fetched / "3592.ini").read_bytes(), SITE_LISTS["3592.ini"])


if __name__ == "__main__":
    unittest.main()
