"""velqtp scan of the sample recordings: the expected list files byte for byte, and the progress bar."""

import os
import pty
import subprocess

from velqtp_test_support import (EXPECTED, MAKE_SAMPLE_TS, SAMPLES, VELQTP, TestCase, channel_list, lines,
                                 list_file_entries, run, velqtp)

# (sample, its list file, the satellite line as printed)
SAMPLE_LISTS = [
    ("hotbird-13.0E.ts", "0130.ini", "Hotbird 6/7A/8 (13\u00b0E) 13 \u00b0E"),
    ("astra-19.2E-mid-section.ts", "0192.ini", "Astra 1F/1G/1H/1KR/1L (19,2\u00b0E) 19.2 \u00b0E"),
    ("nilesat-7.0W.ts", "3530.ini", "Nilesat 101,102,103 7 \u00b0W"),
    ("astra-28.2E-packed.ts", "0282.ini", "Astra 2A/2B/2C/2D, Eurobird 1 (28\u00b0E) 28.2 \u00b0E"),
]


class Scan(TestCase):
    def test_each_sample_gives_its_expected_list_file(self):
        for sample, list_file, satellite_line in SAMPLE_LISTS:
            with self.subTest(sample=sample):
                folder = self.folder()
                result = velqtp("scan", SAMPLES / sample, "--dir", folder)
                self.assertEqual(result.returncode, 0, result.stderr)
                header, _, written = (folder / list_file).read_bytes().partition(b"\r\n")
                self.assertRegex(header, rb"^;    \[Created by Velq Transponders Updater [\d-]{10} [\d:]{8}\]$")
                self.assertEqual(written, (EXPECTED / list_file).read_bytes().partition(b"\r\n")[2])
                self.assertEqual(os.listdir(folder), [list_file])  # no temporary file left
                count = len(list_file_entries(written))
                self.assertEqual(lines(result.stdout), [satellite_line, *list_file_entries(written), "Search finished",
                                                        "Found %d TP(s) in total" % count,
                                                        "Wrote %s/%s" % (folder, list_file),
                                                        "%s: new, %d entries" % (list_file, count)])

    def test_into_the_current_folder_over_an_old_list(self):
        with open("0130.ini", "wb") as old:
            old.write(b"an old list")
        result = velqtp("scan", SAMPLES / "hotbird-13.0E.ts")
        self.assertEqual(lines(result.stdout)[-2:], ["Wrote 0130.ini", "0130.ini: 93 added, 0 removed, 0 changed"])
        self.assertEqual(os.listdir(), ["0130.ini"])

    def test_progress_bar_only_on_a_terminal(self):
        large = self.folder() / "large.ts"
        made = run(MAKE_SAMPLE_TS, "/dev/stdin", large, "--position", "13.0E", "--lead-in-mb", 40,
                   stdin=channel_list((11727000, "VERTICAL", 27500000)))
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertEqual(velqtp("scan", large, "--dry-run").stderr, b"")
        controller, terminal = pty.openpty()
        process = subprocess.Popen([VELQTP, "scan", large, "--dry-run"], stdout=subprocess.DEVNULL, stderr=terminal)
        os.close(terminal)
        drawn = b""
        try:
            while chunk := os.read(controller, 65536):
                drawn += chunk
        except OSError:  # the terminal closed with the process
            pass
        self.assertEqual(process.wait(timeout=60), 0)
        os.close(controller)
        self.assertRegex(drawn, rb"\r\[#+\.*\] +\d+%  [\d.]+ / 40\.0 MB")
        self.assertTrue(drawn.endswith(b"\r\x1b[K"), drawn[-40:])  # and wiped at the end
