"""velqtp serve: the download site, asked by raw requests, curl, velqtp fetch and many clients at once."""

import os
import re
import shutil
import socket
import subprocess
import threading
import unittest
from concurrent.futures import ThreadPoolExecutor

from velqtp_test_support import EXPECTED, ServedSite, TempFolder, http_get, lines, velqtp

# The lists a test site holds, by file name (three search results and a small one for 0.8W).
SITE_LISTS = {name: (EXPECTED / name).read_bytes() for name in ["0130.ini", "0192.ini", "3530.ini"]}
SITE_LISTS["3592.ini"] = b";    [Created by Velq Transponders Updater 2024-01-01 00:00:00]\r\n[SATTYPE]\r\n1=3592\r\n" \
                         b"2=Thor\r\n[DVB]\r\n0=1\r\n1=10716,H,24500,78,DVB-S,QPSK\r\n"

# Request target, then the status and, with 200, the list file that answers it.
# nginx with docs/nginx-velq-tp-site.conf must answer the same (test_nginx_site.py).
ANSWERS = [
    (b"/dl.php?pos=13.0E", 200, "0130.ini"),
    (b"/dl.php?pos=0.8W", 200, "3592.ini"),
    (b"/dl.php?pos=7.0W&pos=13.0E", 200, "3530.ini"),  # the first pos counts
    (b"/dl.php?x=1&POS=19.2E", 200, "0192.ini"),       # keys without regard to case, as nginx
    (b"/dl.php?pos=19.3E", 404, None),                 # of the right form, but no list
    (b"/dl.php?pos=180.0W", 404, None),
    (b"/dl.php?pos=../../etc/passwd", 400, None),
    (b"/dl.php?pos=..%2F..%2Fetc%2Fpasswd", 400, None),
    (b"/dl.php?pos=%00", 400, None),
    (b"/dl.php?pos=13.0E%00", 400, None),
    (b"/dl.php?pos=13%2E0E", 400, None),              # never decoded: only the plain form names a file
    (b"/dl.php?pos=13.0e", 400, None),
    (b"/dl.php?pos=13E", 400, None),
    (b"/dl.php?pos=013.0E", 400, None),
    (b"/dl.php?pos=180.1E", 400, None),
    (b"/dl.php?pos=0130", 400, None),
    (b"/dl.php?pos=", 400, None),
    (b"/dl.php", 400, None),
    (b"/dl.php?xpos=13.0E", 400, None),
    (b"/dl.php?pos=" + b"9" * 4000, 400, None),
    (b"/0130.ini", 404, None),
    (b"/pos/13.0E", 404, None),
    (b"/etc/passwd", 404, None),
]


def make_site_folder(folder):
    lists = folder / "lists"
    lists.mkdir()
    for name, data in SITE_LISTS.items():
        (lists / name).write_bytes(data)
    return lists


class Answers(unittest.TestCase):
    def test_every_request_gets_its_answer_and_a_log_line(self):
        with TempFolder() as folder, ServedSite(make_site_folder(folder)) as site:
            for target, status, name in ANSWERS:
                with self.subTest(target=target[:60]):
                    got_status, body = http_get(site.port, target)
                    self.assertEqual(got_status, status)
                    if name:
                        self.assertEqual(body, SITE_LISTS[name])
            log = site.log_lines()
            self.assertEqual(len(log), len(ANSWERS))
            self.assertEqual(log[0], '127.0.0.1 "GET /dl.php?pos=13.0E" 200 %d' % len(SITE_LISTS["0130.ini"]))
            self.assertEqual(site.stop(), (0, "Stopped\n"))

    def test_curl_gets_the_bytes_with_their_length(self):
        with TempFolder() as folder, ServedSite(make_site_folder(folder)) as site:
            target = folder / "got.ini"
            got = subprocess.run(["curl", "-sS", "-o", target, "-w", "%{http_code}", site.url + "/dl.php?pos=13.0E"],
                                 capture_output=True)
            self.assertEqual(got.stdout, b"200")
            self.assertEqual(target.read_bytes(), SITE_LISTS["0130.ini"])
            head = subprocess.run(["curl", "-sSI", site.url + "/dl.php?pos=7.0W"], capture_output=True).stdout
            self.assertIn(b"Content-Length: %d\r\n" % len(SITE_LISTS["3530.ini"]), head)

    def test_velqtp_fetch_stores_the_lists_and_says_what_changed(self):
        with TempFolder() as folder, ServedSite(make_site_folder(folder)) as site:
            mine = folder / "mine"
            mine.mkdir()
            (mine / "0130.ini").write_bytes(SITE_LISTS["0130.ini"].replace(b"=10719,V,", b"=10720,V,")
                                            .replace(b"=10723,H,29900,", b"=10723,H,30000,"))
            first = velqtp("fetch", "13.0E", "7.0W", "--dir", mine, "--site", site.url)
            self.assertEqual(first.returncode, 0, first.stderr)
            self.assertEqual(lines(first.stdout)[1::2], ["0130.ini: 1 added, 1 removed, 1 changed",
                                                        "3530.ini: new, 39 entries"])
            for name in ["0130.ini", "3530.ini"]:
                self.assertEqual((mine / name).read_bytes(), SITE_LISTS[name])
            again = velqtp("fetch", "13.0E", "--dir", mine, "--site", site.url)
            self.assertEqual(lines(again.stdout)[1], "0130.ini: unchanged")
            missing = velqtp("fetch", "4.8E", "--dir", mine, "--site", site.url)
            self.assertEqual(missing.returncode, 1)
            self.assertIn("HTTP status 404", missing.stderr.decode())

    def test_a_list_replaced_while_serving_is_sent_whole(self):
        with TempFolder() as folder, ServedSite(make_site_folder(folder)) as site:
            lists = folder / "lists"
            versions = [SITE_LISTS["0130.ini"], SITE_LISTS["0130.ini"] * 3]
            done = threading.Event()

            def replace_over_and_over():
                i = 0
                while not done.is_set():
                    (lists / "next.tmp").write_bytes(versions[i % 2])
                    os.replace(lists / "next.tmp", lists / "0130.ini")  # as velqtp and rsync write
                    i += 1

            writer = threading.Thread(target=replace_over_and_over)
            writer.start()
            try:
                bodies = [http_get(site.port, b"/dl.php?pos=13.0E") for _ in range(200)]
            finally:
                done.set()
                writer.join()
            self.assertEqual({status for status, _ in bodies}, {200})
            self.assertTrue(all(body in versions for _, body in bodies))


class HostileClients(unittest.TestCase):
    def test_a_huge_target_is_refused_and_the_site_stays_up(self):
        with TempFolder() as folder, ServedSite(make_site_folder(folder)) as site:
            status, _ = http_get(site.port, b"/dl.php?pos=" + b"A" * 100000)
            self.assertIn(status, [0, 400, 414])
            self.assertEqual(http_get(site.port, b"/dl.php?pos=13.0E")[0], 200)

    def test_many_clients_at_once_are_served_or_refused_and_the_site_stays_up(self):
        with TempFolder() as folder, ServedSite(make_site_folder(folder)) as site:
            # Connections that send nothing, or half a request, and stay open.
            idle = []
            for i in range(150):
                s = socket.create_connection(("127.0.0.1", site.port))
                if i % 2:
                    s.sendall(b"GET /dl.php?pos=13.0E HTTP/1.1\r\nHost: x")
                idle.append(s)
            try:
                with ThreadPoolExecutor(max_workers=32) as pool:
                    statuses = list(pool.map(lambda _: http_get(site.port, b"/dl.php?pos=13.0E")[0], range(300)))
            finally:
                for s in idle:
                    s.close()
            self.assertEqual(set(statuses) - {0}, {200})
            self.assertGreater(statuses.count(200), 0)
            self.assertEqual(http_get(site.port, b"/dl.php?pos=7.0W")[0], 200)
            self.assertIsNone(site.process.poll())


class StaticSite(unittest.TestCase):
    def test_writes_every_list_under_its_pos_value_and_drops_stale_ones(self):
        with TempFolder() as folder:
            lists = make_site_folder(folder)
            shutil.copy(lists / "0130.ini", lists / "1800.ini")  # 180.0E and 180.0W share a code
            out = folder / "www"
            (out / "pos").mkdir(parents=True)
            (out / "pos" / "45.0E").write_bytes(b"a list that has gone")
            (out / "pos" / "README").write_bytes(b"not ours")
            result = velqtp("serve", lists, "--static", out)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(lines(result.stdout), ["Wrote 6 lists to %s/pos/ (removed 1 stale)" % out])
            self.assertEqual(sorted(os.listdir(out / "pos")),
                             ["0.8W", "13.0E", "180.0E", "180.0W", "19.2E", "7.0W", "README"])
            self.assertEqual((out / "pos" / "0.8W").read_bytes(), SITE_LISTS["3592.ini"])


if __name__ == "__main__":
    unittest.main()
