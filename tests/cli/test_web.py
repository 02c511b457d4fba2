"""velqtp fetch and update-all against the local stand-in for the download site."""

import os
import time
import unittest

from velqtp_test_support import TempFolder, TestSite, lines, velqtp

# The first steps of the update-all sequence, as users know it.
FIRST_STEPS = ["21.5E", "23.5E", "25.8E", "26.0E", "28.2E", "28.5E", "31.5E", "33.0E", "36.0E", "39.0E", "7.0W"]


def update_all_order():
    """pos value and file of every step, from velqtp's own listing."""
    rows = lines(velqtp("catalogue", "--update-all-order").stdout)[1:]
    return [(row.split()[1], row.split()[2]) for row in rows]


class Fetch(unittest.TestCase):
    def test_stores_each_named_position_under_its_code(self):
        with TempFolder() as folder, TestSite(folder) as site:
            lists = folder / "lists"
            lists.mkdir()
            result = velqtp("fetch", "13.0E", "7w", "0.8W", "0192", "--dir", lists, "--site", site.url)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(site.requested_positions(), ["13.0E", "7.0W", "0.8W", "19.2E"])
            for pos, file_name in [("13.0E", "0130.ini"), ("7.0W", "3530.ini"), ("0.8W", "3592.ini"),
                                   ("19.2E", "0192.ini")]:
                self.assertEqual((lists / file_name).read_bytes(), site.list_bytes(pos))
            self.assertEqual(sorted(os.listdir(lists)), ["0130.ini", "0192.ini", "3530.ini", "3592.ini"])
            self.assertEqual(lines(result.stdout)[0], "[1/4] 13.0E  -> %s/0130.ini" % lists)

    def test_site_from_the_environment_unless_given(self):
        with TempFolder() as folder, TestSite(folder) as site:
            result = velqtp("fetch", "13.0E", cwd=folder, env={"VELQ_TP_SITE": site.url + "/"})
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual((folder / "0130.ini").read_bytes(), site.list_bytes("13.0E"))
            result = velqtp("fetch", "13.0E", "--site", "http://127.0.0.1:1", "--dir", folder,
                            env={"VELQ_TP_SITE": site.url})
            self.assertEqual(result.returncode, 1)
            self.assertEqual(site.requested_positions(), ["13.0E"])

    def test_unknown_positions_are_refused_before_any_request(self):
        with TempFolder() as folder, TestSite(folder) as site:
            result = velqtp("fetch", "13.0E", "19.3E", "--dir", folder, "--site", site.url)
            self.assertEqual(result.returncode, 2)
            self.assertIn("19.3E is not in the download catalogue", result.stderr.decode())
            self.assertEqual(site.requested_positions(), [])

    def test_a_failed_download_keeps_the_old_list_and_stops(self):
        for mode in ["404", "500", "reset", "cut", "stall"]:
            with self.subTest(mode=mode), TempFolder() as folder, \
                    TestSite(folder, failures=["7.0W=" + mode], stall_seconds=10) as site:
                lists = folder / "lists"
                lists.mkdir()
                (lists / "3530.ini").write_bytes(b"the old list\r\n")
                started = time.monotonic()
                result = velqtp("fetch", "13.0E", "7.0W", "19.2E", "--dir", lists, "--site", site.url,
                                "--timeout", "1")
                self.assertLess(time.monotonic() - started, 8)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(lines(result.stderr)[0],
                                 "velqtp: Error downloading URL: %s/dl.php?pos=7.0W" % site.url)
                self.assertEqual((lists / "3530.ini").read_bytes(), b"the old list\r\n")
                self.assertEqual(sorted(os.listdir(lists)), ["0130.ini", "3530.ini"])  # no temporary file
                self.assertEqual(site.requested_positions(), ["13.0E", "7.0W"])


class UpdateAll(unittest.TestCase):
    def test_fetches_every_step_in_order(self):
        with TempFolder() as folder, TestSite(folder) as site:
            lists = folder / "Transponders"
            lists.mkdir()
            result = velqtp("update-all", "--dir", lists, "--site", site.url)
            self.assertEqual(result.returncode, 0, result.stderr)
            order = update_all_order()
            self.assertEqual(len(order), 56)
            self.assertEqual([pos for pos, _ in order[:11]], FIRST_STEPS)
            self.assertEqual(site.requested_positions(), [pos for pos, _ in order])
            for pos, file_name in order:
                self.assertEqual((lists / file_name).read_bytes(), site.list_bytes(pos))
            self.assertEqual(len(os.listdir(lists)), len(set(order)))
            out = lines(result.stdout)
            self.assertEqual(out[-1], "All satellites have been updated successfully")
            self.assertEqual(out[1::2], ["%s: new, 2 entries" % file_name for _, file_name in order])

    def test_stops_at_the_first_failure_keeping_earlier_and_old_lists(self):
        with TempFolder() as folder, TestSite(folder, failures=["39.0E=404"]) as site:
            (folder / "0390.ini").write_bytes(b"old 39.0E")
            (folder / "3530.ini").write_bytes(b"old 7.0W")
            result = velqtp("update-all", "--site", site.url, cwd=folder)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(site.requested_positions(), FIRST_STEPS[:10])
            self.assertIn("Error downloading URL: %s/dl.php?pos=39.0E" % site.url, result.stderr.decode())
            self.assertIn("HTTP status 404", result.stderr.decode())
            self.assertNotIn("All satellites", result.stdout.decode())
            self.assertEqual((folder / "0390.ini").read_bytes(), b"old 39.0E")
            self.assertEqual((folder / "3530.ini").read_bytes(), b"old 7.0W")
            for pos, file_name in update_all_order()[:9]:
                self.assertEqual((folder / file_name).read_bytes(), site.list_bytes(pos))
            self.assertEqual(len(os.listdir(folder)), 9 + 2 + 2)  # lists, old lists, port file and log


if __name__ == "__main__":
    unittest.main()
