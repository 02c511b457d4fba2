"""velqtp's exit statuses and messages for bad input (make_sample_ts's too), the tables it prints, and its manual page."""

import os
import re

from velqtp_test_support import MAKE_SAMPLE_TS, REPO, SAMPLES, VELQTP, TestCase, channel_list, lines, run

HOTBIRD = SAMPLES / "hotbird-13.0E.ts"
PACKETS = [HOTBIRD.read_bytes()[i:i + 188] for i in range(0, HOTBIRD.stat().st_size, 188)]
NIT = [packet for packet in PACKETS if (packet[1] & 0x1F, packet[2]) == (0, 0x10)]
NO_NIT = b"".join(packet for packet in PACKETS if packet not in NIT)
CHANNELS = channel_list((11727000, "VERTICAL", 27500000))

# (program and arguments, standard input, exit status, part of the message); none writes a file.
BAD_INPUT = [
    ([VELQTP], b"", 2, "A subcommand is required"),
    ([VELQTP, "scan"], b"", 2, "FILE is required"),
    ([VELQTP, "fetch"], b"", 2, "POS is required"),
    ([VELQTP, "scan", HOTBIRD, "--max-freq-diff", "0"], b"", 2, "--max-freq-diff"),
    ([VELQTP, "scan", HOTBIRD, "--max-freq-diff", "21"], b"", 2, "--max-freq-diff"),
    ([VELQTP, "scan", HOTBIRD, "--dir", "/nonexistent/folder"], b"", 2, "--dir"),
    ([VELQTP, "scan", HOTBIRD, "--unknown"], b"", 2, "--unknown"),
    ([VELQTP, "scan", "/nonexistent/capture.ts"], b"", 1, "velqtp: cannot open /nonexistent/capture.ts"),
    ([VELQTP, "scan", "-"], b"", 1, "velqtp: no transport-stream packets found in standard input"),
    ([VELQTP, "scan", "-"], NO_NIT, 1, "velqtp: no complete NIT (table 0x40 on PID 0x0010) found in standard input"),
    ([VELQTP, "scan", "-"], b"".join(NIT[:11]), 1, "no complete NIT"),  # the last section missing
    # Refused before any request: the site given cannot be reached.
    ([VELQTP, "fetch", "13.0E", "19.3E", "--site", "http://127.0.0.1:1"], b"", 2,
     "velqtp: 19.3E is not in the download catalogue"),
    ([VELQTP, "import", "/dev/stdin"], CHANNELS, 2, "give --position"),
    ([MAKE_SAMPLE_TS, "/dev/stdin", "out.ts"], CHANNELS, 2, "give --position"),
]

# (arguments, a line of what velqtp prints)
TABLES = [
    (["--version"], "velqtp 2.2.2.0"),
    (["positions"], '13.0E  0130  "Hotbird 6/7A/8 (13\u00b0E)"'),
    (["catalogue"], '23.5E  0235.ini  Button11  "Astra=23.5\u00b0E "'),
    (["catalogue", "--update-all-order"], '56   18.0W  3420.ini  Button43  "Intelsat=18W"'),
]


class Velqtp(TestCase):
    def test_bad_input_fails_with_its_status_and_message(self):
        for (program, *args), stdin, status, message in BAD_INPUT:
            with self.subTest(args=args, stdin=len(stdin)):
                folder = self.folder()
                result = run(program, *args, stdin=stdin, cwd=folder)
                self.assertEqual(result.returncode, status, result.stderr)
                self.assertIn(message, result.stderr.decode())
                self.assertEqual(result.stdout, b"")
                self.assertEqual(os.listdir(folder), [])

    def test_tables(self):
        for args, line in TABLES:
            with self.subTest(args=args):
                self.assertIn(line, lines(run(VELQTP, *args).stdout))

    def test_manual_page_and_package_follow_the_program(self):
        """docs/velqtp.1 has a section for every command and names each option; debian/changelog's version is ours."""
        page = (REPO / "docs/velqtp.1").read_text()
        help_text = run(VELQTP, "--help").stdout.decode()
        commands = re.findall(r"^  (\S+) ", help_text.split("Subcommands:")[1], re.M)
        self.assertIn("serve", commands)
        for command in commands:
            with self.subTest(command=command):
                self.assertTrue(re.search(r'^\.SS "?' + re.escape(command.replace("-", "\\-")), page, re.M), command)
                for option in re.findall(r"--[a-z-]+", run(VELQTP, command, "--help").stdout.decode()):
                    self.assertTrue(option.replace("-", "\\-") in page, option)
        packaged = re.match(r"velqtp \((\S+)\)", (REPO / "debian/changelog").read_text())[1]
        self.assertEqual(lines(run(VELQTP, "--version").stdout), ["velqtp " + packaged])
