"""The nginx configuration in docs/ on Debian's nginx answers as velqtp serve does, from the files that
velqtp serve --static writes. Skipped where nginx is not installed."""

import os
import pathlib
import shutil
import socket
import subprocess
import time
import unittest

from test_serve import ANSWERS, SITE_LISTS, site_folder
from velqtp_test_support import REPO, TestCase, http_get, velqtp

NGINX = shutil.which("nginx") or shutil.which("/usr/sbin/nginx")


@unittest.skipIf(NGINX is None, "nginx is not installed")
class NginxSite(TestCase):
    def start_nginx(self, root):
        """nginx in the foreground with the site on a free port, all its files in a folder of the test."""
        work = self.folder()
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        site = (REPO / "docs/nginx-velq-tp-site.conf").read_text()
        (work / "site.conf").write_text(site.replace("listen 80;", "listen 127.0.0.1:%d;" % port)
                                        .replace("root /var/www/velq-tp;", "root %s;" % root))
        temp_paths = "".join("%s_temp_path %s/%s;\n" % (kind, work, kind)
                             for kind in ["client_body", "proxy", "fastcgi", "uwsgi", "scgi"])
        (work / "nginx.conf").write_text(
            "daemon off;\nworker_processes 1;\npid %s/nginx.pid;\n%sevents {}\nhttp {\naccess_log off;\n%s"
            "include %s/site.conf;\n}\n" % (work, "user root;\n" if os.geteuid() == 0 else "", temp_paths, work))
        process = self.start(NGINX, "-p", work, "-e", work / "error.log", "-c", work / "nginx.conf",
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        url = "http://127.0.0.1:%d" % port
        while http_get(url, "/")[0] == 0:
            self.assertIsNone(process.poll(), "nginx did not start")
            time.sleep(0.05)
        return url

    def test_answers_as_velqtp_serve_does(self):
        www = self.folder()
        velqtp("serve", site_folder(self.folder()), "--static", www)  # its own test: test_serve.py
        url = self.start_nginx(www)
        for target, status, name in ANSWERS:
            with self.subTest(target=target[:60]):
                got_status, body, _ = http_get(url, target)
                self.assertEqual(got_status, status)
                if name:
                    self.assertEqual(body, SITE_LISTS[name])
        # velqtp fetch through it, as the plug-in would.
        result = velqtp("fetch", "0.8W", "--site", url)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(pathlib.Path("3592.ini").read_bytes(), SITE_LISTS["3592.ini"])
