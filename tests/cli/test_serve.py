"""velqtp serve, the download site: its answers to raw requests, its log, and --static."""

import os
import signal

from velqtp_test_support import EXPECTED, TestCase, http_get, lines, velqtp

# The lists a test site holds, by file name (three search results and a small one for 0.8W).
SITE_LISTS = {name: (EXPECTED / name).read_bytes() for name in ["0130.ini", "0192.ini", "3530.ini"]}
SITE_LISTS["3592.ini"] = b";    [Created by Velq Transponders Updater 2024-01-01 00:00:00]\r\n[SATTYPE]\r\n1=3592\r\n" \
                         b"2=Thor\r\n[DVB]\r\n0=1\r\n1=10716,H,24500,78,DVB-S,QPSK\r\n"
# As long as real lists get (10 KB and more): an answer cut at a buffer's size shows.
SITE_LISTS["0235.ini"] = ";    [Created by Velq Transponders Updater 2024-01-01 00:00:00]\r\n[SATTYPE]\r\n1=0235\r\n" \
    "2=Astra 3 (23,5\xb0E)\r\n[DVB]\r\n0=360\r\n".encode("cp1252") + b"".join(
    b"%d=%d,%s,%d,56,DVB-S2,8PSK\r\n" % (n, 10700 + 5 * n, b"HV"[n % 2:][:1], 22000 + n) for n in range(1, 361))
BIG = "/dl.php?pos=23.5E"

# Request target, the status, with 200 and 304 the list file (or index page) that answers it, and the
# headers sent ({etag}, {date}: the list's, {page}: the page's ETag). nginx with docs/nginx-velq-tp-site.conf
# must answer the same (test_nginx_site.py), but for NGINX_STATUS.
ANSWERS = [
    ("/dl.php?pos=13.0E", 200, "0130.ini"),
    ("/dl.php?pos=0.8W", 200, "3592.ini"),
    (BIG, 200, "0235.ini"),
    ("/dl.php?pos=7.0W&pos=13.0E", 200, "3530.ini"),  # the first pos counts
    ("/dl.php?x=1&POS=19.2E", 200, "0192.ini"),       # keys without regard to case, as nginx
    ("/dl.php?pos=19.3E", 404, None),                 # of the right form, but no list
    ("/dl.php?pos=19.3E", 404, None, {"If-None-Match": "*"}),
    ("/dl.php?pos=180.0W", 404, None),
    ("/dl.php?pos=../../etc/passwd", 400, None),
    ("/dl.php?pos=13.0E%00", 400, None),
    ("/dl.php?pos=13%2E0E", 400, None),              # never decoded: only the plain form names a file
    ("/dl.php?pos=13.0e", 400, None),
    ("/dl.php?pos=013.0E", 400, None),
    ("/dl.php?pos=180.1E", 400, None),
    ("/dl.php?pos=0130", 400, None),
    ("/dl.php?pos=", 400, None),
    ("/dl.php", 400, None),
    ("/dl.php?xpos=13.0E", 400, None),
    ("/dl.php?pos=" + "9" * 4000, 400, None),
    ("/0130.ini", 404, None),
    ("/dlXphp?pos=13.0E", 404, None),
    ("/pos/13.0E", 404, None),                        # the static layout's files only through /dl.php
    ("/index.html/../pos/13.0E", 404, None),
    ("/", 200, "index"),
    ("/index.html", 200, "index"),
    ("/?pos=13.0E", 200, "index"),
    ("/", 304, "index", {"If-None-Match": "{page}"}),
    (BIG, 304, "0235.ini", {"If-None-Match": "{etag}"}),
    (BIG, 304, "0235.ini", {"If-None-Match": '"other", W/{etag}'}),
    (BIG, 304, "0235.ini", {"If-None-Match": "*"}),
    (BIG, 200, "0235.ini", {"If-None-Match": '"other"'}),
    (BIG, 200, "0235.ini", {"If-None-Match": '"%s"' % ("x" * 6000)}),
    (BIG, 400, None, {"If-None-Match": "x" * 20000}),  # more than a header may hold
    (BIG, 304, "0235.ini", {"If-Modified-Since": "{date}"}),
    (BIG, 304, "0235.ini", {"If-Modified-Since": "Fri Dec 31 23:59:59 9999"}),
    (BIG, 304, "0235.ini", {"If-Modified-Since": "Thursday, 31-Dec-69 23:59:59 GMT"}),  # 2069
    (BIG, 200, "0235.ini", {"If-Modified-Since": "Sun, 06 Nov 1994 08:49:37 GMT"}),
    (BIG, 200, "0235.ini", {"If-Modified-Since": "Sat, 31 Feb 2099 00:00:00 GMT"}),  # garbage dates: ignored
    (BIG, 200, "0235.ini", {"If-Modified-Since": "tomorrow"}),
    (BIG, 200, "0235.ini", {"If-Modified-Since": "9" * 6000}),
    (BIG, 200, "0235.ini", {"If-None-Match": '"other"', "If-Modified-Since": "{date}"}),
    (BIG, 304, "0235.ini", {"If-None-Match": "{etag}", "If-Modified-Since": "tomorrow"}),
]
# nginx needs both conditions met; velqtp serve lets the ETag decide, as a cache expects.
NGINX_STATUS = {len(ANSWERS) - 1: 200}


def site_folder(folder):
    for name, data in SITE_LISTS.items():
        (folder / name).write_bytes(data)
    return folder


def check_answers(test, url, nginx=False):
    """Asks `url` for every row of ANSWERS; the bodies of the page's rows."""
    _, _, list_headers = http_get(url, BIG)
    fill = {"etag": list_headers["ETag"], "date": list_headers["Last-Modified"],
            "page": http_get(url, "/")[2]["ETag"]}
    pages = set()
    for row, (target, status, name, *headers) in enumerate(ANSWERS):
        with test.subTest(row=row, target=target[:60]):
            sent = {key: value.format(**fill) for key, value in (headers[0] if headers else {}).items()}
            got_status, body, got = http_get(url, target, sent)
            test.assertEqual(got_status, NGINX_STATUS.get(row, status) if nginx else status)
            test.assertEqual((got.get("Cache-Control"), got.get("Date", "")[-4:]), ("no-cache", " GMT"))
            if name and got_status == 304:
                test.assertEqual((body, got["ETag"]), (b"", fill["page" if name == "index" else "etag"]))
            elif name == "index":
                pages.add(body)
            elif name:
                test.assertEqual((body, got["Content-Length"]), (SITE_LISTS[name], str(len(body))))
                test.assertRegex(got["ETag"] + got["Last-Modified"], r'^"[^"]+"\w{3}, \d\d \w{3} \d{4} [\d:]{8} GMT$')
    test.assertEqual(len(pages), 1)
    return pages.pop()


class Serve(TestCase):
    def test_answers_and_logs_every_request(self):
        process, url, log = self.velqtp_serve(site_folder(self.folder()))
        self.assertTrue(check_answers(self, url).startswith(b"<!DOCTYPE html>"))
        self.assertIn(http_get(url, "/dl.php?pos=" + "A" * 100000)[0], [0, 414])  # and the site stays up:
        self.assertEqual(http_get(url, "/dl.php?pos=7.0W")[0], 200)
        log_lines = log.read_text().splitlines()
        self.assertEqual(len(log_lines), len(ANSWERS) + 4)
        self.assertEqual(log_lines[0], '127.0.0.1 "GET %s" 200 %d' % (BIG, len(SITE_LISTS["0235.ini"])))
        process.send_signal(signal.SIGINT)  # Ctrl-C
        self.assertEqual(process.communicate(timeout=10)[0], b"Stopped\n")
        self.assertEqual(process.returncode, 0)

    def test_static_writes_every_list_under_its_pos_value_and_drops_stale_ones(self):
        lists, out = site_folder(self.folder()), self.folder()
        (lists / "1800.ini").write_bytes(b"180")  # 180.0E and 180.0W share a code
        (pos := out / "pos").mkdir()
        (pos / "45.0E").write_bytes(b"a list that has gone")
        (pos / "README").write_bytes(b"not ours")
        result = velqtp("serve", lists, "--static", out)
        self.assertEqual(lines(result.stdout), ["Wrote 7 lists to %s/pos/ (removed 1 stale) and the page %s/index.html"
                                                % (out, out)])
        self.assertEqual(sorted(os.listdir(pos)),
                         ["0.8W", "13.0E", "180.0E", "180.0W", "19.2E", "23.5E", "7.0W", "README"])
        self.assertEqual((pos / "0.8W").read_bytes(), SITE_LISTS["3592.ini"])
        self.assertEqual((pos / "0.8W").stat().st_mtime_ns, (lists / "3592.ini").stat().st_mtime_ns)
        stats = lambda: [(f, f.stat().st_ino, f.stat().st_mtime_ns) for f in sorted(out.rglob("*"))]  # noqa: E731
        before = stats()
        velqtp("serve", lists, "--static", out)  # nothing changed: nothing rewritten, ETags stay
        self.assertEqual(stats(), before)
