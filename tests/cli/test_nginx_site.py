"""The nginx configuration in docs/ on Debian's nginx answers as velqtp serve does, from the files that
velqtp serve --static writes. Skipped where nginx is not installed."""

import os
import pathlib
import subprocess
import time
import unittest

from test_serve import BIG, SITE_LISTS, check_answers, site_folder
from velqtp_test_support import REPO, TestCase, http_get, velqtp
from nginx_cache_proxy import NGINX, NginxCacheProxy, free_port  # noqa: I100  tests/support, on the path from here


@unittest.skipIf(NGINX is None, "nginx is not installed")
class NginxSite(TestCase):
    def start_nginx(self, root):
        """nginx in the foreground with the site on a free port, all its files in a folder of the test."""
        work = self.folder()
        port = free_port()
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
        www, lists = self.folder(), site_folder(self.folder())
        velqtp("serve", lists, "--static", www)  # its own test: test_serve.py
        url = self.start_nginx(www)
        self.assertEqual(check_answers(self, url, nginx=True), http_get(self.velqtp_serve(lists)[1], "/")[1])
        # velqtp fetch through it, as the plug-in would.
        result = velqtp("fetch", "0.8W", "--site", url)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(pathlib.Path("3592.ini").read_bytes(), SITE_LISTS["3592.ini"])


@unittest.skipIf(NGINX is None, "nginx is not installed")
class CachingProxy(TestCase):
    def test_replaced_list_comes_through_and_unchanged_one_is_revalidated(self):
        lists = site_folder(self.folder())
        proxy = NginxCacheProxy(self.velqtp_serve(lists)[1], self.folder()).start()
        self.addCleanup(proxy.stop)
        first = SITE_LISTS["0235.ini"]
        versions = [first] + [first.replace(b"=10705,", b"=1070%d," % n) for n in (6, 7)]
        for _ in range(3):
            self.assertEqual(http_get(proxy.url, BIG)[:2], (200, versions[0]))
        for version in versions[1:]:  # replaced as velqtp writes, same size, within the same second
            (lists / "new").write_bytes(version)
            os.replace(lists / "new", lists / "0235.ini")
            self.assertEqual(velqtp("fetch", "23.5E", "--site", proxy.url).returncode, 0)
            self.assertEqual(pathlib.Path("0235.ini").read_bytes(), version)
        self.assertEqual(http_get(proxy.url, BIG)[1], versions[2])
        upstream = [request[2] for request in proxy.wait_for_requests(6)]
        self.assertEqual(upstream, ["200", "304", "304", "200", "200", "304"])
