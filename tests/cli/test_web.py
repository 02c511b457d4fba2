"""velqtp fetch and update-all against the local test site, sound and failing in each way it can."""

import os
import re

from velqtp_test_support import FAILURE_MODES, TestCase, lines, list_body, velqtp


class Download(TestCase):
    def test_stores_each_named_position_under_its_code(self):
        url, requested = self.download_site()
        folder = self.folder()
        # --site wins over the environment.
        result = velqtp("fetch", "13.0E", "7w", "0192", "--dir", folder, "--site", url,
                        env={"VELQ_TP_SITE": "http://127.0.0.1:1"})
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(requested(), ["13.0E", "7.0W", "19.2E"])
        # Each asks past any cache on the way.
        self.assertEqual(re.findall(r"\n  Cache-Control: (.*)", self.site_log.read_text()), ["no-cache"] * 3)
        self.assertEqual({path.name: path.read_bytes() for path in folder.iterdir()}, {
            "0130.ini": list_body("13.0E"), "3530.ini": list_body("7.0W"), "0192.ini": list_body("19.2E")})
        self.assertEqual(lines(result.stdout)[:2], ["[1/3] 13.0E  -> %s/0130.ini" % folder, "0130.ini: new, 2 entries"])
        again = velqtp("fetch", "13.0E", cwd=folder, env={"VELQ_TP_SITE": url + "/"})
        self.assertEqual(lines(again.stdout), ["[1/1] 13.0E  -> 0130.ini", "0130.ini: unchanged"])

    def test_a_failed_download_keeps_the_old_list_and_stops(self):
        for mode in FAILURE_MODES:
            with self.subTest(mode=mode):
                url, requested = self.download_site("7.0W=" + mode)
                folder = self.folder()
                (folder / "3530.ini").write_bytes(b"the old list")
                # The stalled answer outlasts this run's limit: only --timeout ends it in time.
                result = velqtp("fetch", "13.0E", "7.0W", "19.2E", "--dir", folder, "--site", url, "--timeout", 1,
                                timeout=20)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(lines(result.stderr)[0], "velqtp: Error downloading URL: %s/dl.php?pos=7.0W" % url)
                if mode.isdigit():
                    self.assertEqual(lines(result.stderr)[1], "velqtp: HTTP status " + mode)
                self.assertEqual(sorted(os.listdir(folder)), ["0130.ini", "3530.ini"])  # no temporary file
                self.assertEqual((folder / "3530.ini").read_bytes(), b"the old list")
                self.assertEqual(requested(), ["13.0E", "7.0W"])

    def test_update_all_says_all_came_only_when_all_came(self):
        # The steps and their stop at a failure: UpdateAllTest.
        all_came = "All satellites have been updated successfully"
        for args, failures, requests, last_line in [
                ((), (), 56, all_came), ((), ("21.5E=500",), 1, "[ 1/56] 21.5E  -> 0215.ini"),
                (("--keep-going",), ("25.8E=404", "2.0E=reset"), 56,
                 "velqtp: 2 of 56 positions failed: 25.8E (step 3), 2.0E (step 20)")]:
            with self.subTest(args=args, failures=failures):
                url, requested = self.download_site(*failures)
                folder = self.folder()
                result = velqtp("update-all", "--site", url, *args, cwd=folder)
                self.assertEqual(result.returncode, 1 if failures else 0, result.stderr)
                self.assertEqual(lines(result.stderr if args else result.stdout)[-1], last_line)
                self.assertEqual(all_came in lines(result.stdout), not failures)
                self.assertEqual(len(requested()), requests)
                self.assertEqual(len(os.listdir(folder)), requests - len(failures))
