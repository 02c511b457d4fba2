"""velqtp serve, the download site: its answers to raw requests, its log, and --static."""

import os
import signal

from velqtp_test_support import EXPECTED, TestCase, http_get, lines, velqtp

# The lists a test site holds, by file name (three search results and a small one for 0.8W).
SITE_LISTS = {name: (EXPECTED / name).read_bytes() for name in ["0130.ini", "0192.ini", "3530.ini"]}
SITE_LISTS["3592.ini"] = b";    [Created by Velq Transponders Updater 2024-01-01 00:00:00]\r\n[SATTYPE]\r\n1=3592\r\n" \
                         b"2=Thor\r\n[DVB]\r\n0=1\r\n1=10716,H,24500,78,DVB-S,QPSK\r\n"

# Request target, then the status and, with 200, the list file that answers it.
# nginx with docs/nginx-velq-tp-site.conf must answer the same (test_nginx_site.py).
ANSWERS = [
    ("/dl.php?pos=13.0E", 200, "0130.ini"),
    ("/dl.php?pos=0.8W", 200, "3592.ini"),
    ("/dl.php?pos=7.0W&pos=13.0E", 200, "3530.ini"),  # the first pos counts
    ("/dl.php?x=1&POS=19.2E", 200, "0192.ini"),       # keys without regard to case, as nginx
    ("/dl.php?pos=19.3E", 404, None),                 # of the right form, but no list
    ("/dl.php?pos=180.0W", 404, None),
    ("/dl.php?pos=../../etc/passwd", 400, None),
    ("/dl.php?pos=13.0E%00", 400, None),
    ("/dl.php?pos=13%2E0E", 400, None),              # never decoded: only the plain form names a file
    ("/dl.php?pos=13.0e", 400, None),
    ("/dl.php?pos=13E", 400, None),
    ("/dl.php?pos=013.0E", 400, None),
    ("/dl.php?pos=180.1E", 400, None),
    ("/dl.php?pos=0130", 400, None),
    ("/dl.php?pos=", 400, None),
    ("/dl.php", 400, None),
    ("/dl.php?xpos=13.0E", 400, None),
    ("/dl.php?pos=" + "9" * 4000, 400, None),
    ("/0130.ini", 404, None),
]


def site_folder(folder):
    for name, data in SITE_LISTS.items():
        (folder / name).write_bytes(data)
    return folder


class Serve(TestCase):
    def test_answers_and_logs_every_request(self):
        process, url, log = self.velqtp_serve(site_folder(self.folder()))
        for target, status, name in ANSWERS:
            with self.subTest(target=target[:60]):
                got_status, body, length = http_get(url, target)
                self.assertEqual(got_status, status)
                if name:
                    self.assertEqual((body, length), (SITE_LISTS[name], str(len(body))))
        self.assertIn(http_get(url, "/dl.php?pos=" + "A" * 100000)[0], [0, 414])  # and the site stays up:
        self.assertEqual(http_get(url, "/dl.php?pos=7.0W")[0], 200)
        log_lines = log.read_text().splitlines()
        self.assertEqual(len(log_lines), len(ANSWERS) + 2)
        self.assertEqual(log_lines[0], '127.0.0.1 "GET /dl.php?pos=13.0E" 200 %d' % len(SITE_LISTS["0130.ini"]))
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
        self.assertEqual(lines(result.stdout), ["Wrote 6 lists to %s/pos/ (removed 1 stale)" % out])
        self.assertEqual(sorted(os.listdir(pos)), ["0.8W", "13.0E", "180.0E", "180.0W", "19.2E", "7.0W", "README"])
        self.assertEqual((pos / "0.8W").read_bytes(), SITE_LISTS["3592.ini"])
