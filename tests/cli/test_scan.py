"""velqtp scan of the sample recordings: the expected list files byte for byte, and the progress bar."""

import itertools
import os
import pty
import struct
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

# The sample's 188-byte packets as recorded with a time stamp before each (192) or parity after each (204).
PACKET_SIZES = {188: lambda at, packet: packet, 192: lambda at, packet: struct.pack(">I", 1001 * at) + packet,
                204: lambda at, packet: packet + packet[-16:]}


class Scan(TestCase):
    def test_each_sample_gives_its_expected_list_file(self):
        for (sample, list_file, satellite_line), size in itertools.product(SAMPLE_LISTS, PACKET_SIZES):
            with self.subTest(sample=sample, packet_size=size):
                folder, packets = self.folder(), (SAMPLES / sample).read_bytes()
                (folder / sample).write_bytes(b"".join(PACKET_SIZES[size](i, packets[i:i + 188])
                                                       for i in range(0, len(packets), 188)))
                result = velqtp("scan", folder / sample, "--dir", folder)
                self.assertEqual(result.returncode, 0, result.stderr)
                header, _, written = (folder / list_file).read_bytes().partition(b"\r\n")
                self.assertRegex(header, rb"^;    \[Created by Velq Transponders Updater [\d-]{10} [\d:]{8}\]$")
                self.assertEqual(written, (EXPECTED / list_file).read_bytes().partition(b"\r\n")[2])
                self.assertEqual(sorted(os.listdir(folder)), sorted([sample, list_file]))  # no temporary file left
                count = len(list_file_entries(written))
                self.assertEqual(lines(result.stdout), [satellite_line, *list_file_entries(written), "Search finished",
                                                        "Found %d TP(s) in total" % count,
                                                        "Wrote %s/%s" % (folder, list_file),
                                                        "%s: new, %d entries" % (list_file, count)])

    def test_all_networks_merges_the_tables_of_one_position(self):
        # The actual's 13.0E table (network_id 1) and other networks' tables: one list per position of whole tables,
        # the actual's merged with the other one there (not replaced by it); network 4's second section never comes.
        tables = [("13.0E", 1, [(10719, "H"), (11727, "V"), (12111, "V")]), ("13.0E", 2, [(11727, "V"), (12500, "H")]),
                  ("19.2E", 3, [(11000, "H")]), ("19.2E", 5, [(11000, "H"), (11100, "V")]),
                  ("30.0W", 4, [(12000, "H"), (12100, "V")])]
        stream, folder = b"", self.folder()
        for position, network, channels in tables:
            (folder / "channels").write_bytes(channel_list(*[(mhz * 1000, {"H": "HORIZONTAL", "V": "VERTICAL"}[pol],
                                                              27500000, "DVBS", "INNER_FEC = 3/4")
                                                             for mhz, pol in channels]))
            run(MAKE_SAMPLE_TS, folder / "channels", folder / "table.ts", "--position", position, "--network-id",
                network, *(["--nit-other"] if network > 1 else []), *(["--per-section", 1] if network == 4 else []))
            table = (folder / "table.ts").read_bytes()
            stream = (table[:4 * 188] if network == 4 else table) + stream  # the actual's last
        result = velqtp("scan", "-", "--all-networks", stdin=stream)
        self.assertEqual(result.returncode, 0, result.stderr)
        for line in ['network 2 (0x0002) "Velq sample network": 2 entries,', "4 (0x0004): incomplete, nothing written"]:
            self.assertIn(line, result.stdout.decode())
        entries = {name: list_file_entries(open(name, "rb").read()) for name in os.listdir()}
        self.assertEqual(entries, {name: ["%d,%s,27500,34,DVB-S,QPSK" % entry for entry in sorted(set(
            sum((channels for position, _, channels in tables if position == list_position), [])))]
            for name, list_position in [("0130.ini", "13.0E"), ("0192.ini", "19.2E")]})
        # The actual's list alone, into the current folder over the merged one.
        result = velqtp("scan", "-", stdin=stream)
        self.assertEqual(lines(result.stdout)[-2:], ["Wrote 0130.ini", "0130.ini: 0 added, 1 removed, 0 changed"])
        self.assertEqual(list_file_entries(open("0130.ini", "rb").read()), entries["0130.ini"][:3])
        self.assertEqual(sorted(os.listdir()), ["0130.ini", "0192.ini"])  # no temporary file left

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
