"""velqtp scan as a user runs it: samples in, list files out."""

import os
import pty
import re
import subprocess
import unittest

from velqtp_test_support import (EXPECTED, MAKE_SAMPLE_TS, SAMPLES, SAMPLE_LISTS, VELQTP, TempFolder,
                                 entries_of, lines, list_file_entries, run, velqtp)

HEADER = re.compile(rb"^;    \[Created by Velq Transponders Updater \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\]\r\n")
NIT_PID = 0x0010


def packets(data):
    return [data[i:i + 188] for i in range(0, len(data) - 187, 188)]


def pid(packet):
    return (packet[1] & 0x1F) << 8 | packet[2]


def hotbird():
    return (SAMPLES / "hotbird-13.0E.ts").read_bytes()


def expected_entries(list_file):
    return list_file_entries((EXPECTED / list_file).read_bytes())


class ScanOfEachSample(unittest.TestCase):
    def test_writes_the_expected_list_file(self):
        for sample, list_file, count, satellite_line in SAMPLE_LISTS:
            with self.subTest(sample=sample), TempFolder() as folder:
                result = velqtp("scan", SAMPLES / sample, "--dir", folder)
                self.assertEqual(result.returncode, 0, result.stderr)
                written = (folder / list_file).read_bytes()
                expected = (EXPECTED / list_file).read_bytes()
                self.assertRegex(written, HEADER)
                # Everything after the header line, byte for byte.
                self.assertEqual(written.split(b"\r\n", 1)[1], expected.split(b"\r\n", 1)[1])
                self.assertEqual(os.listdir(folder), [list_file])  # no temporary file left

                out = lines(result.stdout)
                self.assertEqual(entries_of(result.stdout), list_file_entries(written))
                self.assertEqual(len(entries_of(result.stdout)), count)
                self.assertEqual(out[0], satellite_line)
                self.assertEqual(out[-4:], ["Search finished", "Found %d TP(s) in total" % count,
                                            "Wrote %s/%s" % (folder, list_file),
                                            "%s: new, %d entries" % (list_file, count)])

    def test_default_folder_is_the_current_one_and_an_old_list_is_replaced(self):
        with TempFolder() as folder:
            (folder / "0130.ini").write_bytes(b"old list")
            result = velqtp("scan", SAMPLES / "hotbird-13.0E.ts", cwd=folder)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(lines(result.stdout)[-2:], ["Wrote 0130.ini", "0130.ini: 93 added, 0 removed, 0 changed"])
            self.assertEqual(list_file_entries((folder / "0130.ini").read_bytes()), expected_entries("0130.ini"))
            self.assertEqual(os.listdir(folder), ["0130.ini"])

    def test_dry_run_writes_nothing(self):
        with TempFolder() as folder:
            result = velqtp("scan", SAMPLES / "nilesat-7.0W.ts", "--dir", folder, "--dry-run")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(lines(result.stdout)[-1], "Not written (dry run): %s/3530.ini" % folder)
            self.assertEqual(os.listdir(folder), [])


class DamagedStreams(unittest.TestCase):
    """Other packet sizes, garbage and cut packets: ts_packet_framer_test.cpp."""

    def test_a_stream_without_a_complete_nit_fails_clearly(self):
        clean = hotbird()
        without_nit = b"".join(p for p in packets(clean) if pid(p) != NIT_PID)
        nit_packets = [p for p in packets(clean) if pid(p) == NIT_PID]
        cases = {
            "no NIT packets": (without_nit, "no complete NIT (table 0x40 on PID 0x0010) found in standard input"),
            "last section missing": (b"".join(nit_packets[:11]), "no complete NIT"),
            "no packets at all": (os.urandom(20000).replace(b"\x47", b"\x46"),
                                  "no transport-stream packets found in standard input"),
            "empty": (b"", "no transport-stream packets found"),
        }
        for name, (data, message) in cases.items():
            with self.subTest(name), TempFolder() as folder:
                result = velqtp("scan", "-", "--dir", folder, stdin=data)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr.decode())
                self.assertEqual(result.stdout, b"")
                self.assertEqual(os.listdir(folder), [])


class ScanOptions(unittest.TestCase):
    def test_refuses_bad_arguments_before_reading(self):
        cases = [
            (["--max-freq-diff", "0"], "--max-freq-diff"),
            (["--max-freq-diff", "21"], "--max-freq-diff"),
            (["--max-freq-diff", "five"], "--max-freq-diff"),
            (["--dir", "/nonexistent/folder"], "--dir"),
            (["--unknown"], "--unknown"),
        ]
        for extra, message in cases:
            with self.subTest(extra=extra):
                result = velqtp("scan", SAMPLES / "hotbird-13.0E.ts", *extra)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr.decode())
                self.assertEqual(result.stdout, b"")

    def test_a_missing_file_is_named(self):
        result = velqtp("scan", "/nonexistent/capture.ts")
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot open /nonexistent/capture.ts", result.stderr.decode())


class ProgressBar(unittest.TestCase):
    """Drawn on standard error only when a person can see it."""

    def test_on_a_terminal_for_a_large_file_only(self):
        with TempFolder() as folder:
            large = folder / "large.ts"
            made = run(MAKE_SAMPLE_TS, "/dev/stdin", large, "--position", "13.0E", "--lead-in-mb", "40",
                       stdin=b"[CHANNEL]\nDELIVERY_SYSTEM = DVBS\nFREQUENCY = 11727000\n"
                             b"POLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n")
            self.assertEqual(made.returncode, 0, made.stderr)

            piped = velqtp("scan", large, "--dry-run")
            self.assertEqual(piped.returncode, 0, piped.stderr)
            self.assertEqual(piped.stderr, b"")

            on_terminal = self.stderr_on_terminal(["scan", str(large), "--dry-run"])
            self.assertRegex(on_terminal, rb"\r\[#+\.*\] +\d+%  [\d.]+ / 40\.0 MB")
            self.assertTrue(on_terminal.endswith(b"\r\x1b[K"), on_terminal[-40:])

    @staticmethod
    def stderr_on_terminal(args):
        controller, terminal = pty.openpty()
        process = subprocess.Popen([VELQTP, *args], stdout=subprocess.DEVNULL, stderr=terminal)
        os.close(terminal)
        received = b""
        while True:
            try:
                chunk = os.read(controller, 65536)
            except OSError:  # the terminal closed with the process
                break
            if not chunk:
                break
            received += chunk
        process.wait(timeout=60)
        os.close(controller)
        return received


if __name__ == "__main__":
    unittest.main()
